#pragma once
// Breaking a code page 932 text into printed lines no wider than a limit.
#include "viewlib/layout/CalendarPage.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mirovan::view {

// Widths of byte runs in the font selected for printing.
class ITextMeasurer {
public:
    virtual ~ITextMeasurer() = default;
    virtual int Width(std::string_view cp932) = 0;
};

// The next line of text from position, advancing position past it (and
// past the CR LF that ends it). Never ends inside a double-byte
// character. When not even one character fits, returns an empty line
// without advancing.
std::string NextPrintLine(std::string_view text, size_t& position, ITextMeasurer& measurer, int widthLimit);

// All lines of a text. Where not one character fits the width, that
// character goes on a line of its own, so the text always comes to an end.
std::vector<std::string> PrintLines(std::string_view text, ITextMeasurer& measurer, int widthLimit);

// Where printed text goes on a page as oriented, in tenths of a
// millimetre from the top-left of the printable area: line tops from
// 20 mm down while above 20 mm from the bottom, 15 mm from the left, lines
// as wide as the page less 30 mm.
struct TextPageLayout {
    int left = 150;
    int top = 200;
    int lineLimit = 0;
    int widthLimit = 0;
    int step = 1;

    // The lines one page holds; 0 when not even one fits.
    int LinesPerPage() const { return lineLimit <= top ? 0 : (lineLimit - top - 1) / step + 1; }
};

TextPageLayout LayoutTextPage(PaperSize orientedPage, int lineStep);

} // namespace mirovan::view
