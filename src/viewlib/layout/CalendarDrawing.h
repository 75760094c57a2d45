#pragma once
// What a printed month calendar draws, as calls on a canvas, so that the
// same page can go to a printer, a PDF or a recording in a test.
#include "interface/MirovanView.h"
#include "viewlib/grid/GridGeometry.h"
#include "viewlib/layout/CalendarPage.h"

#include <optional>
#include <string>
#include <vector>

namespace mirovan::view {

struct CalendarCell {
    std::string label; // code page 932
    std::string text;  // code page 932, CR LF between lines
    Colour colour = Rgb(255, 255, 255);
    bool otherMonth = false;
};

struct CalendarJob {
    int year = 0;
    int month = 0;
    bool scheduleMode = true;
    std::string memberName; // code page 932; may be empty
    bool emptyCalendar = false;
    int headingPoints = 10;
    int datePoints = 10;
    int schedulePoints = 10;
    std::string dayFace;  // Font0, code page 932
    std::string textFace; // Font1
    CalendarPageInput page;
    std::vector<CalendarCell> cells;
};

enum class FontRole { Heading, Date, Schedule };
enum class TextPlacement {
    TopLeftUnclipped,  // from the rectangle's top-left corner, one line
    CentredSingleLine, // centred both ways, one line
    TopLeftClipped,    // lines at the line breaks only, clipped to the rectangle
};

class ICalendarCanvas {
public:
    virtual ~ICalendarCanvas() = default;
    virtual void FillRect(const PageRect& rect, Colour colour) = 0;
    // colour: nullopt is the device's own text colour.
    virtual void Text(const PageRect& rect, const std::string& cp932, FontRole role, TextPlacement placement,
                      std::optional<Colour> colour) = 0;
    virtual void Line(const PageLine& line) = 0;
};

class CMonthGrid;

// The job for the month a grid shows, with the sizes the print dialog
// starts from: heading and date FontSize0 / 10, schedule FontSize1 / 10.
CalendarJob CalendarJobOf(const CMonthGrid& grid, bool scheduleMode, const char* memberNameCp932,
                          const VIEWFONTS& fonts);

std::string CalendarJobTitle(const CalendarJob& job);
// Draws the job on the canvas; returns the layout it used.
CalendarPageLayout DrawCalendar(const CalendarJob& job, ICalendarCanvas& canvas);

constexpr Colour kOtherMonthLabel = Rgb(160, 160, 160);

} // namespace mirovan::view
