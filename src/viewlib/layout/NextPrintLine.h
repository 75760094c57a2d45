#pragma once
// Breaking a code page 932 text into printed lines no wider than a limit.
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

} // namespace mirovan::view
