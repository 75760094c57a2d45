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
    enum Status { Printed, NoLineFits, CannotStart } status = Printed;
    int pages = 0;
};

// Prints on the given printer as many pages as the text needs. A page
// too short for one line prints nothing.
TextPrintOutcome PrintTextTo(QPrinter& printer, const std::string& cp932, const std::string& faceCp932, int points);

} // namespace mirovan::view
