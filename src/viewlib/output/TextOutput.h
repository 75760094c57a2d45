#pragma once
// Plain text to the clipboard and to paper.
#include <string>

class QPrinter;
class QWidget;

namespace mirovan::view {

void CopyTextToClipboard(const std::string& cp932);

// Asks for a printer with the platform print dialog, then prints.
void PrintText(const std::string& cp932, const std::string& faceCp932, int points, QWidget* parent);
struct TextPrintOutcome {
    // CannotWrite: a file the pages could not be written to whole, of which
    // nothing is left.
    enum Status { Printed, NoLineFits, CannotStart, CannotWrite } status = Printed;
    int pages = 0;
    // What the user reads when nothing was printed.
    std::string failure;
};

// Prints on the given printer as many pages as the text needs. A page
// too short for one line prints nothing.
TextPrintOutcome PrintTextTo(QPrinter& printer, const std::string& cp932, const std::string& faceCp932, int points);

} // namespace mirovan::view
