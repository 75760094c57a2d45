#include "viewlib/layout/CalendarDrawing.h"

#include "support/Codepage.h"

namespace mirovan {

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
    static const char* const kNames[7] = {"日", "月", "火", "水", "木", "金", "土"};
    for (int i = 0; i < 7; ++i)
        canvas.Text(page.WeekdayCell(i), codepage::FromUtf8(kNames[i]).value(), FontRole::Date,
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

} // namespace mirovan
