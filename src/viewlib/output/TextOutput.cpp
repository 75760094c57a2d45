#include "viewlib/output/TextOutput.h"

#include "guisupport/ModalCursor.h"
#include "guisupport/QtText.h"
#include "viewlib/layout/CalendarPage.h"
#include "viewlib/layout/NextPrintLine.h"
#include "viewlib/output/CalendarPrinter.h"
#include "viewlib/output/PdfFile.h"
#include "viewlib/output/PrinterPage.h"
#include "viewlib/ui/ViewResources.h"
#include "viewlib/ui/ViewUi.h"

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

void CopyTextToClipboard(const std::string& cp932) { QApplication::clipboard()->setText(qttext::FromCp932(cp932)); }

void PrintText(const std::string& cp932, const std::string& faceCp932, int points, QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (ExecModal(dialog) != QDialog::Accepted)
        return;
    const TextPrintOutcome outcome = PrintTextTo(printer, cp932, faceCp932, points);
    if (outcome.status == TextPrintOutcome::Printed)
        return;
    const std::string message = outcome.status == TextPrintOutcome::NoLineFits
                                    ? qttext::ToUtf8(ResourceString(QStringLiteral("printNoLineFits")))
                                    : outcome.failure;
    ViewUi(parent).ShowMessage(message, MessageIcon::Exclamation);
}

TextPrintOutcome PrintTextTo(QPrinter& printer, const std::string& cp932, const std::string& faceCp932, int points)
{
    printer.setDocName(QStringLiteral("Data"));
    if (cp932.empty())
        return {};
    const PrinterPage page(printer);
    QFont font(qttext::FromCp932(faceCp932));
    font.setPixelSize(std::max(1, page.ToPixels(PaperFontHeight(points))));
    const QFontMetrics metrics(font, &printer);
    const TextPageLayout layout =
        LayoutTextPage(page.Oriented(), static_cast<int>(1.5 * page.ToUnits(metrics.height())));
    const int perPage = layout.LinesPerPage();
    if (perPage == 0)
        return {TextPrintOutcome::NoLineFits, 0, {}};

    PrinterMeasurer measurer(font, &printer, page);
    const std::vector<std::string> lines = PrintLines(cp932, measurer, layout.widthLimit);
    PrintToFile file(printer);
    QPainter painter;
    if (!painter.begin(&printer)) {
        file.Deliver(false);
        return {TextPrintOutcome::CannotStart, 0, PrintFailureMessage(printer)};
    }
    painter.setFont(font);
    TextPrintOutcome outcome;
    for (size_t first = 0; first < lines.size(); first += static_cast<size_t>(perPage)) {
        if (outcome.pages > 0)
            printer.newPage();
        ++outcome.pages;
        const size_t end = std::min(lines.size(), first + static_cast<size_t>(perPage));
        int y = layout.top;
        for (size_t i = first; i < end; ++i, y += layout.step)
            painter.drawText(QPoint(page.ToPixels(layout.left), page.ToPixels(y) + metrics.ascent()),
                             qttext::FromCp932(lines[i]));
    }
    if (!painter.end()) {
        file.Deliver(false);
        return {TextPrintOutcome::CannotStart, 0, PrintFailureMessage(printer)};
    }
    if (std::string failure = file.Deliver(true); !failure.empty())
        return {TextPrintOutcome::CannotWrite, 0, std::move(failure)};
    return outcome;
}

} // namespace mirovan::view
