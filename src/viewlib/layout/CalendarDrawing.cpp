#include "viewlib/layout/CalendarDrawing.h"

#include "support/Codepage.h"
#include "viewlib/grid/CMonthGrid.h"

#include <algorithm>
#include <cstring>

namespace mirovan::view {

CalendarJob CalendarJobOf(const CMonthGrid& grid, bool scheduleMode, const char* memberNameCp932,
                          const VIEWFONTS& fonts)
{
    CalendarJob job;
    job.year = grid.Year();
    job.month = grid.Month();
    job.scheduleMode = scheduleMode;
    job.memberName = memberNameCp932 ? memberNameCp932 : "";
    job.dayFace = std::string(fonts.Font0, strnlen(fonts.Font0, sizeof fonts.Font0));
    job.textFace = std::string(fonts.Font1, strnlen(fonts.Font1, sizeof fonts.Font1));
    // The settings may hold any number; sizes beyond any sheet are limited here.
    const int fontSize0 = std::clamp(fonts.FontSize0, 0, kMaxPrintPoints * 10);
    job.headingPoints = fontSize0 / 10;
    job.datePoints = fontSize0 / 10;
    job.schedulePoints = ClampPrintPoints(fonts.FontSize1 / 10);
    job.page.fontSize0 = fontSize0;
    for (int i = 0; i < grid.CellCount(); ++i) {
        const CDayCell& c = grid.Cell(i);
        job.cells.push_back({c.m_label, c.m_text, c.m_colour, c.m_otherMonth});
    }
    return job;
}

std::string CalendarJobTitle(const CalendarJob& job)
{
    const bool withName = job.scheduleMode && !job.memberName.empty() && !job.emptyCalendar;
    return CalendarTitle(job.year, job.month, withName ? job.memberName : std::string());
}

CalendarPageLayout DrawCalendar(const CalendarJob& job, ICalendarCanvas& canvas)
{
    CalendarPageInput input = job.page;
    input.cellCount = static_cast<int>(job.cells.size());
    const CalendarPageLayout page = LayoutCalendarPage(input);

    canvas.FillRect(page.calendar, Rgb(255, 255, 255));
    canvas.Text(page.titleBand, CalendarJobTitle(job), FontRole::Heading, TextPlacement::TopLeftUnclipped,
                std::nullopt);
    for (int i = 0; i < 7; ++i)
        canvas.Text(page.WeekdayCell(i), codepage::FromUtf8(CMonthGrid::WeekdayName(i)).value(), FontRole::Date,
                    TextPlacement::CentredSingleLine, std::nullopt);

    for (size_t k = 0; k < page.cells.size(); ++k) {
        const CalendarCell& cell = job.cells[k];
        const PageRect& r = page.cells[k];
        canvas.FillRect(r, cell.colour);
        const int i = static_cast<int>(k);
        canvas.Text({page.LabelX(i), page.LabelY(i), r.right, r.bottom}, cell.label, FontRole::Date,
                    TextPlacement::TopLeftUnclipped,
                    cell.otherMonth ? std::optional<Colour>(kOtherMonthLabel) : std::nullopt);
        if (!job.emptyCalendar && !cell.text.empty())
            canvas.Text(page.TextRect(i), cell.text, FontRole::Schedule, TextPlacement::TopLeftClipped, std::nullopt);
    }
    for (const PageLine& line : page.lines)
        canvas.Line(line);
    return page;
}

} // namespace mirovan::view
