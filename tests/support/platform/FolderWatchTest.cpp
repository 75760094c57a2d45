#include "support/platform/FolderWatch.h"

#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace mirovan::platform {
namespace {

using std::chrono::milliseconds;

// A change in a watched folder ends the wait with true; one in a folder
// no longer watched does not, and the wake descriptor ends it with false.
TEST(FolderWatch, ChangesInWatchedFoldersEndTheWait)
{
    test::TempDir dir;
    const std::string a = dir.File("a");
    const std::string b = dir.File("b");
    std::filesystem::create_directories(a);
    std::filesystem::create_directories(b);
    FolderWatch watch;
    if (!watch.Available())
        GTEST_SKIP() << "no change notifications here";
    watch.Watch({a, b});
    EXPECT_FALSE(watch.Wait(milliseconds(0)));
    test::WriteFileBytes(a + "/month.sch", "x");
    EXPECT_TRUE(watch.Wait(milliseconds(10000)));
    // Everything that came was taken at once.
    EXPECT_FALSE(watch.Wait(milliseconds(0)));
    std::filesystem::rename(a + "/month.sch", b + "/month.sch");
    EXPECT_TRUE(watch.Wait(milliseconds(10000)));

    watch.Watch({b});
    EXPECT_FALSE(watch.Wait(milliseconds(0)));
    test::WriteFileBytes(a + "/other.sch", "y");
    EXPECT_FALSE(watch.Wait(milliseconds(50)));

    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], "e", 1), 1);
    EXPECT_FALSE(watch.Wait(milliseconds(10000), ends[0]));
    ::close(ends[0]);
    ::close(ends[1]);
}

} // namespace
} // namespace mirovan::platform
