#include "viewlib/layout/CalendarDrawing.h"

#include "support/Codepage.h"
#include "viewlib/grid/CMonthGrid.h"

#include <gtest/gtest.h>

using namespace mirovan;
using namespace mirovan::view;

namespace {

struct Call {
    std::string kind;
    PageRect rect;
    std::string text;
    FontRole role = FontRole::Date;
    std::optional<Colour> colour;
};

class RecordingCanvas : public ICalendarCanvas {
public:
    void FillRect(const PageRect& rect, Colour colour) override { calls.push_back({"fill", rect, {}, {}, colour}); }
    void Text(const PageRect& rect, const std::string& t, FontRole role, TextPlacement,
              std::optional<Colour> c) override
    {
        calls.push_back({"text", rect, t, role, c});
    }
    void Line(const PageLine& l) override { calls.push_back({"line", {l.x1, l.y1, l.x2, l.y2}, {}, {}, {}}); }
    std::vector<Call> calls;
    size_t Count(const std::string& kind) const
    {
        size_t n = 0;
        for (const auto& c : calls)
            n += c.kind == kind;
        return n;
    }
};

std::string Utf8(const std::string& s) { return codepage::ToUtf8(s).value(); }

CalendarJob Job(int cells)
{
    CalendarJob job;
    job.year = 2007;
    job.month = 2;
    job.memberName = codepage::FromUtf8("佐藤").value();
    for (int i = 0; i < cells; ++i)
        job.cells.push_back({std::to_string(i % 31 + 1), i == 5 ? "line1\r\nline2" : "", Rgb(255, 255, 255), i < 4});
    return job;
}

class PlainHost : public IMonthGridHost {
public:
    int32_t HolidayStatus(int32_t, int32_t, int32_t) override { return 0; }
    bool PlainWeekends() const override { return false; }
    Colour WindowColour() const override { return Rgb(255, 255, 255); }
    void SavePersonalIfModified() override {}
    bool HasPersonalPath() const override { return false; }
    std::string PersonalDayText(uint32_t) override { return {}; }
    void Invalidate(const GridRect*, bool) override {}
};

} // namespace

// The settings may hold any number: sizes far beyond any sheet must not
// overflow the page arithmetic.
TEST(CalendarDrawing, AbsurdFontSettingsKeepThePageWhole)
{
    PlainHost host;
    CMonthGrid grid(host);
    grid.Build(2007, 2);
    for (const int32_t size : {9'000'000, 2'000'000'000, -2'000'000'000}) {
        VIEWFONTS fonts{};
        fonts.FontSize0 = size;
        fonts.FontSize1 = size;
        CalendarJob job = CalendarJobOf(grid, true, nullptr, fonts);
        job.page.heightPercent = 100;
        EXPECT_GE(job.headingPoints, 0);
        EXPECT_LE(job.schedulePoints, kMaxPrintPoints);
        EXPECT_GE(PaperFontHeight(job.datePoints), 0);
        const CalendarPageLayout page = LayoutCalendarPage(job.page);
        EXPECT_GE(page.bandHeight, 0) << size;
        EXPECT_GE(page.textOffset, 0) << size;
    }
    // Ordinary sizes pass unchanged.
    VIEWFONTS fonts{};
    fonts.FontSize0 = 105;
    fonts.FontSize1 = 120;
    const CalendarJob job = CalendarJobOf(grid, true, nullptr, fonts);
    EXPECT_EQ(job.page.fontSize0, 105);
    EXPECT_EQ(job.schedulePoints, 12);
}

TEST(CalendarDrawing, DrawsTheFrameWhereTheLayoutPutsIt)
{
    RecordingCanvas canvas;
    CalendarJob job = Job(35);
    job.page.heightPercent = 100;
    const CalendarPageLayout page = DrawCalendar(job, canvas);
    ASSERT_FALSE(canvas.calls.empty());
    EXPECT_EQ(canvas.calls[0].kind, "fill");
    EXPECT_EQ(canvas.calls[0].rect, (PageRect{180, 200, 1920, 2770}));
    EXPECT_EQ(Utf8(canvas.calls[1].text), "2007年2月   【 佐藤 】 ");
    EXPECT_EQ(canvas.calls[1].role, FontRole::Heading);
    EXPECT_EQ(canvas.Count("line"), 1u + 5u + 1u + 8u);
    EXPECT_EQ(canvas.Count("fill"), 1u + 35u);
    // Labels of the other months' days are grey; the rest use the device colour.
    size_t grey = 0;
    for (const auto& c : canvas.calls)
        if (c.kind == "text" && c.colour)
            ++grey;
    EXPECT_EQ(grey, 4u);
    // One schedule text, placed below the label band.
    size_t schedule = 0;
    for (const auto& c : canvas.calls)
        if (c.role == FontRole::Schedule) {
            ++schedule;
            EXPECT_EQ(c.rect.top, page.cells[5].top + page.textOffset);
            EXPECT_EQ(c.text, "line1\r\nline2");
        }
    EXPECT_EQ(schedule, 1u);
    // The last line closes the grid on the right, from the weekday band down.
    const Call& last = canvas.calls.back();
    EXPECT_EQ(last.rect, (PageRect{1920, page.weekdayBand.top, 1920, page.grid.top + 5 * page.rowHeight}));
}

TEST(CalendarDrawing, EmptyCalendarAndPersonalModeTitles)
{
    RecordingCanvas canvas;
    CalendarJob job = Job(42);
    job.emptyCalendar = true;
    DrawCalendar(job, canvas);
    EXPECT_EQ(Utf8(canvas.calls[1].text), "2007年2月");
    for (const auto& c : canvas.calls)
        EXPECT_NE(c.role, FontRole::Schedule);
    EXPECT_EQ(canvas.Count("line"), 1u + 6u + 1u + 8u);

    job.emptyCalendar = false;
    job.scheduleMode = false;
    EXPECT_EQ(Utf8(CalendarJobTitle(job)), "2007年2月");
    job.scheduleMode = true;
    job.memberName.clear();
    EXPECT_EQ(Utf8(CalendarJobTitle(job)), "2007年2月");
}
