#include "support/OleDate.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace mirovan;

namespace {
void ExpectCivil(double v, int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    const auto t = FromOleDate(v);
    ASSERT_TRUE(t) << v;
    EXPECT_EQ(t->year, y) << v;
    EXPECT_EQ(t->month, mo) << v;
    EXPECT_EQ(t->day, d) << v;
    EXPECT_EQ(t->hour, h) << v;
    EXPECT_EQ(t->minute, mi) << v;
    EXPECT_EQ(t->second, s) << v;
}
} // namespace

TEST(OleDate, KnownPoints)
{
    ExpectCivil(0.0, 1899, 12, 30);
    ExpectCivil(2.0, 1900, 1, 1);
    ExpectCivil(39114.0, 2007, 2, 1);
    ExpectCivil(39114.25, 2007, 2, 1, 6);
    // Before the epoch the fraction still counts forward.
    ExpectCivil(-1.25, 1899, 12, 29, 6);
    ExpectCivil(-657434.0, 100, 1, 1);
    ExpectCivil(2958465.0, 9999, 12, 31);
    EXPECT_EQ(FromOleDate(39114.0)->weekday, 4); // Thursday
}

TEST(OleDate, RoundsToTheSecondAndCarriesIntoTheNextDay)
{
    ExpectCivil(39114.0 + (9 * 3600 + 5 * 60 - 0.2) / 86400.0, 2007, 2, 1, 9, 5, 0);
    ExpectCivil(39114.0 + 0.9999999, 2007, 2, 2);
    ExpectCivil(-0.9999999, 1899, 12, 31); // 12-30 23:59:59.99...
}

TEST(OleDate, RejectsWhatIsNoDate)
{
    EXPECT_FALSE(FromOleDate(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(FromOleDate(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(FromOleDate(-std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(FromOleDate(-657435.0));
    ExpectCivil(-657434.5, 100, 1, 1, 12);
    EXPECT_FALSE(FromOleDate(2958466.0));
    EXPECT_FALSE(FromOleDate(1e300));
    EXPECT_FALSE(FromOleDate(2958465.9999999)); // rounds past 9999-12-31
}

TEST(OleDate, ToAndFromAgreeOverTheWholeRange)
{
    for (int year : {100, 1600, 1899, 1900, 1999, 2000, 2024, 2400, 9999}) {
        for (int month = 1; month <= 12; ++month) {
            const int last = DaysInMonth(year, month);
            for (int day : {1, 15, last}) {
                const auto v = ToOleDate(year, month, day, 13, 47, 5);
                ASSERT_TRUE(v);
                ExpectCivil(*v, year, month, day, 13, 47, 5);
            }
        }
    }
    EXPECT_EQ(ToOleDate(1899, 12, 29, 6).value(), -1.25);
    EXPECT_EQ(ToOleDate(2007, 2, 1).value(), 39114.0);
}

TEST(OleDate, CalendarRules)
{
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(2023, 2), 28);
    EXPECT_EQ(DaysInMonth(2023, 4), 30);
    EXPECT_EQ(DaysInMonth(2023, 12), 31);
    EXPECT_FALSE(ToOleDate(2023, 2, 29));
    EXPECT_FALSE(ToOleDate(2023, 13, 1));
    EXPECT_FALSE(ToOleDate(99, 12, 31));
    EXPECT_FALSE(ToOleDate(2023, 1, 1, 24));
    EXPECT_EQ(Weekday(2007, 4, 29), 0); // Sunday
    EXPECT_EQ(Weekday(2007, 4, 30), 1);
    EXPECT_EQ(Weekday(1899, 12, 30), 6);
    EXPECT_EQ(Weekday(100, 1, 1), 5);
}
