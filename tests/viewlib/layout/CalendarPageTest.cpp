#include "viewlib/layout/CalendarPage.h"

#include "support/Codepage.h"

#include <gtest/gtest.h>

using namespace mirovan;
using namespace mirovan::view;

TEST(CalendarPage, PaperSizes)
{
    EXPECT_EQ(PaperSizeFor(1, 0, 0).lengthMm, 279);
    EXPECT_EQ(PaperSizeFor(1, 0, 0).widthMm, 215);
    EXPECT_EQ(PaperSizeFor(9, 0, 0).lengthMm, 297);
    EXPECT_EQ(PaperSizeFor(8, 0, 0).lengthMm, 420);
    EXPECT_EQ(PaperSizeFor(12, 0, 0).lengthMm, 354);
    EXPECT_EQ(PaperSizeFor(12, 0, 0).widthMm, 250);
    EXPECT_EQ(PaperSizeFor(13, 0, 0).widthMm, 182);
    EXPECT_EQ(PaperSizeFor(41, 0, 0).lengthMm, 330);
    // Outside 1-41 the settings' own size, in tenths of a millimetre.
    EXPECT_EQ(PaperSizeFor(256, 3000, 1500).lengthMm, 300);
    EXPECT_EQ(PaperSizeFor(256, 3000, 1500).widthMm, 150);
    EXPECT_EQ(PaperSizeFor(0, 0, -5).lengthMm, 297);
    EXPECT_EQ(PaperSizeFor(42, 9, 0).widthMm, 210);
    EXPECT_EQ(PaperSizeFor(42, 9, 0).lengthMm, 0);
    EXPECT_EQ(PaperCodeFromName("a4"), 9);
    EXPECT_EQ(PaperCodeFromName("B4"), 12);
    EXPECT_EQ(PaperCodeFromName("letter"), 1);
    EXPECT_EQ(PaperCodeFromName("13"), 13);
    EXPECT_EQ(PaperCodeFromName("42"), 0);
    EXPECT_EQ(PaperCodeFromName("A4x"), 0);
}

TEST(CalendarPage, A4PortraitFullHeight)
{
    CalendarPageInput in;
    in.heightPercent = 100;
    const CalendarPageLayout p = LayoutCalendarPage(in);
    EXPECT_EQ(p.calendar, (PageRect{180, 200, 1920, 2770}));
    // FontSize0 of 10 points: h = 352 / 10 = 35, band 49.
    EXPECT_EQ(p.bandHeight, 49);
    EXPECT_EQ(p.titleBand, (PageRect{180, 200, 1920, 249}));
    EXPECT_EQ(p.weekdayBand, (PageRect{180, 249, 1920, 298}));
    EXPECT_EQ(p.grid, (PageRect{180, 298, 1920, 2770}));
    EXPECT_EQ(p.rows, 5);
    EXPECT_EQ(p.rowHeight, (2770 - 298) / 5);
    // 1740 is not a multiple of 7: the last column ends 4 short of the border.
    EXPECT_EQ(p.columnWidth, 248);
    EXPECT_EQ(p.cells.back(), (PageRect{180 + 6 * 248, 298 + 4 * 494, 180 + 7 * 248, 298 + 5 * 494}));
    EXPECT_EQ(p.textOffset, 42);
    EXPECT_EQ(p.TextRect(0).top, 298 + 42);
    EXPECT_EQ(p.LabelX(8), 180 + 248 + 10);
    EXPECT_EQ(p.LabelY(8), 298 + 494 + 10);
    EXPECT_EQ(p.WeekdayCell(6), (PageRect{180 + 6 * 248, 249, 180 + 7 * 248, 298}));

    ASSERT_EQ(p.lines.size(), 1u + 5u + 1u + 8u);
    EXPECT_EQ(p.lines[0], (PageLine{180, 249, 1920, 249}));
    EXPECT_EQ(p.lines[1], (PageLine{180, 298 + 494, 1920, 298 + 494}));
    EXPECT_EQ(p.lines[5], (PageLine{180, 298 + 5 * 494, 1920, 298 + 5 * 494}));
    EXPECT_EQ(p.lines[6], (PageLine{180, 298, 1920, 298}));
    EXPECT_EQ(p.lines[7], (PageLine{180, 249, 180, 298 + 5 * 494}));
    EXPECT_EQ(p.lines[13], (PageLine{180 + 6 * 248, 249, 180 + 6 * 248, 298 + 5 * 494}));
    EXPECT_EQ(p.lines[14], (PageLine{1920, 249, 1920, 298 + 5 * 494}));
}

TEST(CalendarPage, LandscapeHalfHeightAndSixRows)
{
    CalendarPageInput in;
    in.portrait = false;
    in.heightPercent = 50;
    in.cellCount = 42;
    const CalendarPageLayout p = LayoutCalendarPage(in);
    EXPECT_EQ(p.pageLengthMm, 210);
    EXPECT_EQ(p.pageWidthMm, 297);
    EXPECT_EQ(p.calendar, (PageRect{180, 200, 2790, 850}));
    EXPECT_EQ(p.rows, 6);
    EXPECT_EQ(p.cells.size(), 42u);
    EXPECT_EQ(p.rowHeight, (850 - 298) / 6);
    for (int r = 0; r < 6; ++r)
        EXPECT_EQ(p.cells[static_cast<size_t>(r * 7)].bottom - p.cells[static_cast<size_t>(r * 7)].top, p.rowHeight);
}

TEST(CalendarPage, BandsFollowTheViewFontNotTheDialog)
{
    CalendarPageInput in;
    in.fontSize0 = 240; // 24 points: 846 / 10 = 84, band 117
    const CalendarPageLayout p = LayoutCalendarPage(in);
    EXPECT_EQ(p.bandHeight, 117);
    EXPECT_EQ(p.textOffset, static_cast<int>(84 * 1.2));
    EXPECT_EQ(PaperFontHeight(10), 35);
    EXPECT_EQ(PaperFontHeight(0), 0);
}

TEST(CalendarPage, DegenerateHeightsStayAsComputed)
{
    CalendarPageInput in;
    in.heightPercent = 0;
    const CalendarPageLayout p = LayoutCalendarPage(in);
    EXPECT_EQ(p.calendar.bottom, -200);
    EXPECT_EQ(p.rowHeight, std::abs((-200 - 298) / 5));
    in.cellCount = 0;
    EXPECT_TRUE(LayoutCalendarPage(in).cells.empty());
}

TEST(CalendarPage, Title)
{
    EXPECT_EQ(codepage::ToUtf8(CalendarTitle(2007, 2, "")).value(), "2007年2月");
    EXPECT_EQ(codepage::ToUtf8(CalendarTitle(2026, 12, codepage::FromUtf8("佐藤").value())).value(),
              "2026年12月   【 佐藤 】 ");
}
