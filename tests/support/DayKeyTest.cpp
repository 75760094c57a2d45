#include "support/DayKey.h"

#include <gtest/gtest.h>
#include <utility>

namespace mirovan {
namespace {

TEST(DayKey, MonthLengthsFollowTheGregorianLeapRule)
{
    EXPECT_EQ(MakeDayKey(2007, 1, 31), 20070131u);
    EXPECT_EQ(MonthKeyOfDay(20070131), 200701u);
    EXPECT_EQ(DayOfDayKey(20070131), 31);
    EXPECT_EQ(YearOfMonthKey(200702), 2007);
    for (auto [key, days] : {std::pair{200702u, 28},
                             {200402u, 29},
                             {190002u, 28},
                             {200002u, 29},
                             {200704u, 30},
                             {200711u, 30},
                             {200712u, 31},
                             {200713u, 31}})
        EXPECT_EQ(DaysOfMonthKey(key), days) << key;
}

TEST(DayKey, PartsComeBackAndOddPiecesWrap)
{
    EXPECT_EQ(MakeMonthKey(2007, 2), 200702u);
    EXPECT_EQ(MakeMonthDayKey(12, 23), 1223u);
    EXPECT_EQ(YearOfDayKey(MakeDayKey(9999, 12, 31)), 9999);
    EXPECT_EQ(MonthOfDayKey(MakeDayKey(9999, 12, 31)), 12);
    EXPECT_LT(MakeDayKey(2006, 12, 31), MakeDayKey(2007, 1, 1));
    // Pieces read from a holiday file may be negative: modulo 2^32.
    EXPECT_EQ(MakeMonthDayKey(-1, 1), static_cast<uint32_t>(-99));
    EXPECT_EQ(MakeDayKey(-1, 0, 0), static_cast<uint32_t>(-10000));
}

} // namespace
} // namespace mirovan
