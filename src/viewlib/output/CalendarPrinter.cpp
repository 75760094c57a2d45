#include "viewlib/output/CalendarPrinter.h"

#include "guisupport/ModalCursor.h"
#include "guisupport/QtText.h"
#include "viewlib/output/CPrintDialogEx.h"
#include "viewlib/output/PdfFile.h"
#include "viewlib/output/PrinterPage.h"
#include "viewlib/ui/ViewResources.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cstdint>

namespace mirovan::view {
namespace {

class PainterCanvas : public ICalendarCanvas {
public:
    PainterCanvas(QPainter& painter, QPrinter& printer, const CalendarJob& job) : m_painter(painter), m_page(printer)
    {
        m_fonts[0] = Font(job.dayFace, job.headingPoints, printer);
        m_fonts[1] = Font(job.dayFace, job.datePoints, printer);
        m_fonts[2] = Font(job.textFace, job.schedulePoints, printer);
    }

    void FillRect(const PageRect& rect, Colour c) override
    {
        m_painter.fillRect(m_page.ToPixels(rect), QColor(Red(c), Green(c), Blue(c)));
    }

    void Text(const PageRect& rect, const std::string& cp932, FontRole role, TextPlacement placement,
              std::optional<Colour> colour) override
    {
        m_painter.save();
        m_painter.setFont(m_fonts[static_cast<int>(role)]);
        if (colour)
            m_painter.setPen(QColor(Red(*colour), Green(*colour), Blue(*colour)));
        const QRect r = m_page.ToPixels(rect);
        switch (placement) {
        case TextPlacement::TopLeftUnclipped:
            m_painter.drawText(QRect(r.topLeft(), QSize(100000, 100000)),
                               Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, qttext::FromCp932Lines(cp932));
            break;
        case TextPlacement::CentredSingleLine:
            m_painter.drawText(r, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip,
                               qttext::FromCp932Lines(cp932));
            break;
        case TextPlacement::TopLeftClipped:
            m_painter.setClipRect(r);
            m_painter.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs, qttext::FromCp932Lines(cp932));
            break;
        }
        m_painter.restore();
    }

    void Line(const PageLine& l) override
    {
        m_painter.setPen(QPen(Qt::black, std::max(1, m_page.ToPixels(1))));
        m_painter.drawLine(m_page.ToPixels(l.x1), m_page.ToPixels(l.y1), m_page.ToPixels(l.x2), m_page.ToPixels(l.y2));
    }

private:
    // A font whose cell height is the points as tenths of a millimetre.
    QFont Font(const std::string& face, int points, QPrinter& printer)
    {
        QFont font(qttext::FromCp932Lines(face));
        const int cell = m_page.ToPixels(PaperFontHeight(points));
        if (cell <= 0)
            return font; // 0 leaves the height to the font system
        font.setPixelSize(std::min(cell, 20000));
        const int height = QFontMetrics(font, &printer).height();
        if (height > 0)
            font.setPixelSize(static_cast<int>(std::clamp<int64_t>(int64_t{cell} * cell / height, 1, 20000)));
        return font;
    }

    QPainter& m_painter;
    PrinterPage m_page;
    QFont m_fonts[3];
};

} // namespace

bool PrintCalendarTo(QPrinter& printer, CalendarJob job, std::string* failure)
{
    printer.setDocName(QStringLiteral("Mirovan"));
    const PrinterPage page(printer);
    job.page.paperCode = page.PaperCode();
    const QSizeF mm = printer.pageLayout().pageSize().size(QPageSize::Millimeter);
    job.page.paperLength = static_cast<int>(mm.height() * 10);
    job.page.paperWidth = static_cast<int>(mm.width() * 10);
    job.page.portrait = page.Portrait();
    PrintToFile file(printer);
    QPainter painter;
    if (!painter.begin(&printer)) {
        file.Deliver(false);
        if (failure)
            *failure = PrintFailureMessage(printer);
        return false;
    }
    PainterCanvas canvas(painter, printer, job);
    DrawCalendar(job, canvas);
    const bool painted = painter.end();
    std::string written = file.Deliver(painted);
    if (painted && written.empty())
        return true;
    if (failure)
        *failure = painted ? std::move(written) : PrintFailureMessage(printer);
    return false;
}

std::string PrintFailureMessage(const QPrinter& printer)
{
    std::string text = qttext::ToUtf8(ResourceString(QStringLiteral("printCannotStart")));
    if (!printer.outputFileName().isEmpty())
        text += "\r\nファイル名：" + qttext::ToUtf8(printer.outputFileName());
    return text;
}

void PrintCalendar(CalendarJob job, QWidget* parent, IUserInterface& ui)
{
    QPrinter printer(QPrinter::HighResolution);
    CPrintDialogEx dialog(&printer, parent, job.headingPoints, job.datePoints, job.schedulePoints, false);
    if (ExecModal(dialog) != QDialog::Accepted)
        return;
    job.page.heightPercent = dialog.HeightPercent();
    job.headingPoints = dialog.HeadingSize();
    job.datePoints = dialog.DateSize();
    job.schedulePoints = dialog.ScheduleSize();
    job.emptyCalendar = dialog.EmptyCalendar();
    std::string failure;
    if (!PrintCalendarTo(printer, job, &failure))
        ui.ShowMessage(failure, MessageIcon::Exclamation);
}

} // namespace mirovan::view
