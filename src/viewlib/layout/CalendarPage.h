#pragma once
// Where everything of a printed month calendar goes on the page, in
// tenths of a millimetre from the top-left of the printable area, y down.
#include <string>
#include <vector>

namespace mirovan::view {

struct PageRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const PageRect&) const = default;
};

struct PageLine {
    int x1, y1, x2, y2;
    bool operator==(const PageLine&) const = default;
};

struct PaperSize {
    int lengthMm;
    int widthMm;
};

// Codes 1-41 are the platform's standard sizes; any other code takes
// the settings' own length and width (tenths of a millimetre).
PaperSize PaperSizeFor(int code, int settingsLength, int settingsWidth);
// The paper size code of a name like "A4", "b4", "Letter", or of a
// number; 0 when unknown.
int PaperCodeFromName(const std::string& name);

// The page as oriented: its length runs down the page, its width across.
constexpr PaperSize OrientedPage(PaperSize paper, bool portrait)
{
    return portrait ? paper : PaperSize{paper.widthMm, paper.lengthMm};
}

// The calendar's height as a percentage of the page length: the print
// dialog offers 10 to 100.
constexpr int kMinHeightPercent = 10;
constexpr int kMaxHeightPercent = 100;

// Printed sizes are limited where they enter printing, far beyond any
// sheet, so that the page arithmetic in tenths of a millimetre cannot
// overflow.
constexpr int kMaxPrintPoints = 1000;
constexpr int ClampPrintPoints(int points)
{
    return points < 0 ? 0 : points > kMaxPrintPoints ? kMaxPrintPoints : points;
}

// A font of the given points, as a cell height on the page.
constexpr int PaperFontHeight(int points) { return points * 254 / 72; }

struct CalendarPageInput {
    int paperCode = 9;
    int paperLength = 0; // tenths of a millimetre, for codes outside 1-41
    int paperWidth = 0;
    bool portrait = true;
    int heightPercent = 50;
    int fontSize0 = 100; // the view's day-number size, tenths of a point
    int cellCount = 35;
};

struct CalendarPageLayout {
    int pageLengthMm = 0;
    int pageWidthMm = 0;
    PageRect calendar;
    PageRect titleBand;
    PageRect weekdayBand;
    PageRect grid;
    int bandHeight = 0;
    int rows = 0;
    int rowHeight = 0;
    int columnWidth = 0;
    int textOffset = 0; // from a cell's top to its text
    std::vector<PageRect> cells;
    std::vector<PageLine> lines;

    PageRect WeekdayCell(int column) const;
    // The day label's top-left corner in cell k.
    int LabelX(int k) const { return cells[static_cast<size_t>(k)].left + 10; }
    int LabelY(int k) const { return cells[static_cast<size_t>(k)].top + 10; }
    PageRect TextRect(int k) const;
};

CalendarPageLayout LayoutCalendarPage(const CalendarPageInput& input);

// "%d年%d月", with "   【 name 】 " appended when a name is given;
// code page 932.
std::string CalendarTitle(int year, int month, const std::string& memberName);

} // namespace mirovan::view
