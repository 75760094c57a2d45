#include "support/platform/KeepAside.h"

#include "common/TempDir.h"
#include "support/platform/Clock.h"
#include "support/platform/Platform.h"

#include <gtest/gtest.h>

namespace mirovan::platform {
namespace {

TEST(KeepAside, MovingNumbersTheNamesOfOneSecond)
{
    test::TempDir dir;
    const std::string path = dir.File("user.reg");
    const ScopedClock pin{2007, 2, 1, 9, 5, 7};
    for (const char* suffix : {"", "-2", "-3"}) {
        test::WriteFileBytes(path, suffix);
        const KeptAside aside = KeepAside(path, AsideMode::Move, AsideClash::NumberAnother);
        EXPECT_TRUE(aside.kept);
        EXPECT_EQ(aside.path, path + ".damaged-20070201-090507" + suffix);
        EXPECT_EQ(test::ReadFileBytes(aside.path), suffix);
        EXPECT_FALSE(FileExists(path));
    }
    EXPECT_FALSE(KeepAside(path, AsideMode::Move, AsideClash::NumberAnother).kept); // nothing there to move
}

TEST(KeepAside, CopyingLeavesTheFileAndAnEarlierCopyOfTheSameSecond)
{
    test::TempDir dir;
    const std::string path = dir.File("calendar.mvp");
    const ScopedClock pin{2007, 2, 1, 9, 0};
    test::WriteFileBytes(path, "first");
    const KeptAside first = KeepAside(path, AsideMode::Copy, AsideClash::KeepExisting);
    test::WriteFileBytes(path, "second");
    const KeptAside second = KeepAside(path, AsideMode::Copy, AsideClash::KeepExisting);
    EXPECT_TRUE(first.kept && second.kept);
    EXPECT_EQ(second.path, path + ".damaged-20070201-090000");
    EXPECT_EQ(test::ReadFileBytes(second.path), "first");
    EXPECT_EQ(test::ReadFileBytes(path), "second");

    const KeptAside missing = KeepAside(dir.File("none.mvp"), AsideMode::Copy, AsideClash::KeepExisting);
    EXPECT_FALSE(missing.kept);
    EXPECT_FALSE(missing.error.empty());
}

} // namespace
} // namespace mirovan::platform
