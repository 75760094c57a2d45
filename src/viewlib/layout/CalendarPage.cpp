#include "viewlib/layout/CalendarPage.h"

#include "support/Codepage.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace mirovan::view {
namespace {

struct Paper {
    const char* name;
    int widthMm;
    int lengthMm;
};

// Indexed by code - 1.
constexpr Paper kPapers[41] = {
    {"Letter", 215, 279},
    {"LetterSmall", 215, 279},
    {"Tabloid", 279, 431},
    {"Ledger", 431, 279},
    {"Legal", 215, 355},
    {"Statement", 139, 215},
    {"Executive", 184, 266},
    {"A3", 297, 420},
    {"A4", 210, 297},
    {"A4Small", 210, 297},
    {"A5", 148, 210},
    {"B4", 250, 354},
    {"B5", 182, 257},
    {"Folio", 215, 330},
    {"Quarto", 215, 275},
    {"10x14", 254, 355},
    {"11x17", 279, 431},
    {"Note", 215, 279},
    {"Env9", 98, 225},
    {"Env10", 104, 241},
    {"Env11", 114, 263},
    {"Env12", 120, 279},
    {"Env14", 127, 292},
    {"CSheet", 431, 558},
    {"DSheet", 558, 863},
    {"ESheet", 863, 1117},
    {"EnvDL", 110, 220},
    {"EnvC5", 162, 229},
    {"EnvC3", 324, 458},
    {"EnvC4", 229, 324},
    {"EnvC6", 114, 162},
    {"EnvC65", 114, 229},
    {"EnvB4", 250, 353},
    {"EnvB5", 176, 250},
    {"EnvB6", 176, 125},
    {"EnvItaly", 110, 230},
    {"EnvMonarch", 98, 190},
    {"Env634", 92, 165},
    {"USStdFanfold", 377, 279},
    {"GermanStdFanfold", 215, 304},
    {"GermanLegalFanfold", 215, 330},
};

bool SameName(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && !b[i];
}

} // namespace

PaperSize PaperSizeFor(int code, int settingsLength, int settingsWidth)
{
    if (code >= 1 && code <= 41)
        return {kPapers[code - 1].lengthMm, kPapers[code - 1].widthMm};
    return {settingsLength >= 1 ? settingsLength / 10 : 297, settingsWidth >= 1 ? settingsWidth / 10 : 210};
}

int PaperCodeFromName(const std::string& name)
{
    if (!name.empty() && std::isdigit(static_cast<unsigned char>(name[0]))) {
        char* end = nullptr;
        const long code = std::strtol(name.c_str(), &end, 10);
        if (*end == '\0' && code >= 1 && code <= 41)
            return static_cast<int>(code);
    }
    for (int i = 0; i < 41; ++i)
        if (SameName(name, kPapers[i].name))
            return i + 1;
    return 0;
}

PageRect CalendarPageLayout::WeekdayCell(int column) const
{
    const int m = (weekdayBand.right - weekdayBand.left) / 7;
    return {weekdayBand.left + m * column, weekdayBand.top, weekdayBand.left + m * (column + 1), weekdayBand.bottom};
}

PageRect CalendarPageLayout::TextRect(int k) const
{
    PageRect r = cells[static_cast<size_t>(k)];
    r.top += textOffset;
    return r;
}

CalendarPageLayout LayoutCalendarPage(const CalendarPageInput& in)
{
    CalendarPageLayout out;
    const PaperSize page = OrientedPage(PaperSizeFor(in.paperCode, in.paperLength, in.paperWidth), in.portrait);
    out.pageLengthMm = page.lengthMm;
    out.pageWidthMm = page.widthMm;
    const int right = 10 * out.pageWidthMm - 180;
    out.calendar = {180, 200, right, in.heightPercent * out.pageLengthMm * 10 / 100 - 200};

    const int h = (in.fontSize0 * 254 / 72) / 10;
    out.bandHeight = static_cast<int>(h * 1.4);
    const int b = out.bandHeight;
    out.titleBand = {180, 200, right, 200 + b};
    out.weekdayBand = {180, 200 + b, right, 200 + 2 * b};
    out.grid = {180, 200 + 2 * b, right, out.calendar.bottom};

    out.rows = in.cellCount / 7;
    out.columnWidth = (right - 180) / 7;
    out.rowHeight = out.rows > 0 ? std::abs((out.grid.bottom - out.grid.top) / out.rows) : 0;
    out.textOffset = static_cast<int>((in.fontSize0 * 254 / 720) * 1.2);
    const int c = out.columnWidth;
    const int q = out.rowHeight;
    for (int k = 0; k < out.rows * 7; ++k) {
        const int col = k % 7;
        const int row = k / 7;
        out.cells.push_back({out.grid.left + c * col, out.grid.top + q * row, out.grid.left + c * (col + 1),
                             out.grid.top + q * (row + 1)});
    }

    const PageRect& band = out.weekdayBand;
    out.lines.push_back({band.left, band.top, band.right, band.top});
    for (int r = 0; r < out.rows; ++r) {
        const int y = out.grid.top + q * (r + 1);
        out.lines.push_back({out.grid.left, y, band.right, y});
    }
    out.lines.push_back({band.left, band.bottom, band.right, band.bottom});
    const int lastRowLine = out.grid.top + q * out.rows;
    for (int i = 0; i < 7; ++i)
        out.lines.push_back({band.left + c * i, band.top, band.left + c * i, lastRowLine});
    out.lines.push_back({band.right, band.top, band.right, lastRowLine});
    return out;
}

std::string CalendarTitle(int year, int month, const std::string& memberName)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d年%d月", year, month);
    std::string title = codepage::FromUtf8(buffer).value();
    if (!memberName.empty())
        title += codepage::FromUtf8("   【 ").value() + memberName + codepage::FromUtf8(" 】 ").value();
    return title;
}

} // namespace mirovan::view
