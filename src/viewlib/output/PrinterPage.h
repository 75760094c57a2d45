#pragma once
// A printer's page in the units the layouts use: tenths of a millimetre
// from the top-left of the printable area, y downward.
#include "viewlib/layout/CalendarPage.h"

#include <QPrinter>
#include <cmath>

namespace mirovan::view {

class PrinterPage {
public:
    explicit PrinterPage(QPrinter& printer) : m_printer(printer), m_dpi(printer.resolution()) {}

    int ToPixels(int tenthsMm) const { return static_cast<int>(std::lround(tenthsMm * m_dpi / 254.0)); }
    int ToUnits(int pixels) const { return static_cast<int>(std::lround(pixels * 254.0 / m_dpi)); }
    QRect ToPixels(const PageRect& r) const
    {
        return QRect(QPoint(ToPixels(r.left), ToPixels(r.top)), QPoint(ToPixels(r.right) - 1, ToPixels(r.bottom) - 1));
    }

    // The paper size code and the sheet in portrait, as the platform's
    // printer settings give them.
    int PaperCode() const { return m_printer.pageLayout().pageSize().windowsId(); }
    PaperSize Paper() const
    {
        const QSizeF mm = m_printer.pageLayout().pageSize().size(QPageSize::Millimeter);
        return PaperSizeFor(PaperCode(), static_cast<int>(mm.height() * 10), static_cast<int>(mm.width() * 10));
    }
    bool Portrait() const { return m_printer.pageLayout().orientation() == QPageLayout::Portrait; }
    PaperSize Oriented() const { return OrientedPage(Paper(), Portrait()); }

private:
    QPrinter& m_printer;
    int m_dpi;
};

} // namespace mirovan::view
