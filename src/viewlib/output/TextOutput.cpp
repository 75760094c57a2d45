#include "viewlib/output/TextOutput.h"

#include "guisupport/QtText.h"
#include "viewlib/layout/CalendarPage.h"
#include "viewlib/layout/NextPrintLine.h"
#include "viewlib/output/PrinterPage.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>

namespace mirovan::view {
namespace {

// Widths in tenths of a millimetre.
class PrinterMeasurer : public ITextMeasurer {
public:
    PrinterMeasurer(const QFont& font, QPaintDevice* device, const PrinterPage& page)
        : m_metrics(font, device), m_page(page)
    {
    }
    int Width(std::string_view cp932) override
    {
        return m_page.ToUnits(m_metrics.horizontalAdvance(qttext::FromCp932(cp932)));
    }

private:
    QFontMetrics m_metrics;
    const PrinterPage& m_page;
};

} // namespace

void CopyTextToClipboard(const std::string& cp932)
{
    QApplication::clipboard()->setText(qttext::FromCp932(cp932));
}

void PrintText(const std::string& cp932, const std::string& faceCp932, int points, QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted)
        return;
    PrintTextTo(printer, cp932, faceCp932, points);
}

int PrintTextTo(QPrinter& printer, const std::string& cp932, const std::string& faceCp932, int points)
{
    printer.setDocName(QStringLiteral("Data"));
    if (cp932.empty())
        return 0;
    const PrinterPage page(printer);
    QFont font(qttext::FromCp932(faceCp932));
    font.setPixelSize(std::max(1, page.ToPixels(PaperFontHeight(points))));
    const PaperSize paper = page.Paper();

    PrinterMeasurer measurer(font, &printer, page);
    const int step = std::max(1, static_cast<int>(1.5 * page.ToUnits(QFontMetrics(font, &printer).height())));
    const int widthLimit = 10 * paper.widthMm - 300;
    const int lineLimit = 10 * paper.lengthMm - 200;

    QPainter painter;
    if (!painter.begin(&printer))
        return 0;
    painter.setFont(font);
    int pages = 0;
    const std::vector<std::string> lines = PrintLines(cp932, measurer, widthLimit);
    size_t next = 0;
    while (next < lines.size()) {
        if (pages > 0)
            printer.newPage();
        ++pages;
        for (int y = 200; y < lineLimit && next < lines.size(); y += step) {
            const QString text = qttext::FromCp932(lines[next++]);
            painter.drawText(QPoint(page.ToPixels(150), page.ToPixels(y) + QFontMetrics(font, &printer).ascent()),
                             text);
        }
    }
    painter.end();
    return pages;
}

} // namespace mirovan::view
