#include "viewlib/layout/NextPrintLine.h"

#include "support/Codepage.h"

namespace mirovan::view {

std::string NextPrintLine(std::string_view text, size_t& position, ITextMeasurer& measurer, int widthLimit)
{
    const size_t n = text.size();
    const size_t p = position;
    if (p >= n)
        return {};
    size_t k = 1;
    if (measurer.Width(text.substr(p, 1)) < widthLimit) {
        for (;;) {
            ++k;
            if (text.substr(p, k).find('\n') != std::string_view::npos)
                break;
            if (p + k > n)
                break;
            if (measurer.Width(text.substr(p, k)) >= widthLimit)
                break;
        }
    }
    --k;
    std::string line(text.substr(p, k));
    if (k > 0) {
        bool lead = false;
        for (char c : line)
            lead = !lead && codepage::IsLeadByte(static_cast<unsigned char>(c));
        if (lead) {
            line.pop_back();
            position = p + k - 1;
            return line;
        }
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
        position = p + k + 1;
    } else {
        position = p + k;
    }
    return line;
}

std::vector<std::string> PrintLines(std::string_view text, ITextMeasurer& measurer, int widthLimit)
{
    std::vector<std::string> lines;
    size_t position = 0;
    while (position < text.size()) {
        const size_t before = position;
        std::string line = NextPrintLine(text, position, measurer, widthLimit);
        if (position == before) {
            // Not even one character fits: a line break here only ends the
            // character line before it; anything else goes out alone.
            if (text.substr(position, 2) == "\r\n" || text[position] == '\n') {
                position += text[position] == '\n' ? 1 : 2;
                continue;
            }
            const size_t width =
                codepage::IsLeadByte(static_cast<unsigned char>(text[position])) && position + 1 < text.size() ? 2 : 1;
            line = std::string(text.substr(position, width));
            position += width;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

TextPageLayout LayoutTextPage(PaperSize orientedPage, int lineStep)
{
    TextPageLayout page;
    page.lineLimit = 10 * orientedPage.lengthMm - 200;
    page.widthLimit = 10 * orientedPage.widthMm - 300;
    page.step = lineStep > 0 ? lineStep : 1;
    return page;
}

} // namespace mirovan::view
