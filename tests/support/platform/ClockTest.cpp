#include "support/platform/Clock.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace mirovan::platform {
namespace {

TEST(Clock, ScopedPinsNestAndGiveWayInOrder)
{
    ScopedClock outer{2007, 2, 1, 9, 0};
    {
        ScopedClock inner{2008, 12, 31, 23, 59, 58};
        const std::tm t = LocalTimeNow();
        EXPECT_EQ(t.tm_year + 1900, 2008);
        EXPECT_EQ(t.tm_yday, 365);
        EXPECT_EQ(t.tm_sec, 58);
    }
    const std::tm t = LocalTimeNow();
    EXPECT_EQ(t.tm_mon + 1, 2);
    EXPECT_EQ(t.tm_hour, 9);
    EXPECT_EQ(t.tm_wday, 4); // a Thursday
    EXPECT_EQ(Today().day, 1);
    EXPECT_THROW((ScopedClock{2007, 2, 29}), std::invalid_argument);
}

TEST(Clock, EnvironmentValueIsAWholeRealDateAndTime)
{
    const auto pinned = ParseClockOverride("2007-02-01T09:00");
    ASSERT_TRUE(pinned);
    EXPECT_EQ(pinned->tm_year + 1900, 2007);
    EXPECT_EQ(pinned->tm_mday, 1);
    EXPECT_EQ(pinned->tm_min, 0);
    EXPECT_EQ(ParseClockOverride("2007-02-01T09:00:30")->tm_sec, 30);
    for (const char* bad : {"", "2007-02-01", "2007-02-01T09:00Z", "2007-02-30T09:00", "2007-02-01T24:00",
                            "2007-02-01T09:00:", "0099-12-31T00:00"})
        EXPECT_FALSE(ParseClockOverride(bad)) << bad;
}

} // namespace
} // namespace mirovan::platform
