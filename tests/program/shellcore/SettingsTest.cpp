#include "program/shellcore/Settings.h"

#include "common/IsolatedEnvironment.h"
#include "common/TempDir.h"
#include "common/Text.h"
#include "support/Codepage.h"
#include "support/registry/Registry.h"
#include "support/settings/SettingsTable.h"

#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace mirovan;
using mirovan::test::Sjis;
using namespace mirovan::shell;

namespace {

} // namespace

TEST(Placement, Packing)
{
    const Placement d = UnpackPlacement(settings::kXPos.fallback, settings::kYPos.fallback);
    EXPECT_EQ(d.left, 50);
    EXPECT_EQ(d.top, 50);
    EXPECT_EQ(d.right - d.left, 550);
    EXPECT_EQ(d.bottom - d.top, 350);

    uint32_t x = 0;
    uint32_t y = 0;
    PackPlacement({120, 80, 700, 500}, x, y);
    EXPECT_EQ(x, (120u << 16) | 700u);
    EXPECT_EQ(y, (80u << 16) | 500u);

    // Left of and above the primary screen: moved in, size kept.
    PackPlacement({-1300, -20, -500, 580}, x, y);
    const Placement moved = UnpackPlacement(x, y);
    EXPECT_EQ(moved.left, 0);
    EXPECT_EQ(moved.right, 800);
    EXPECT_EQ(moved.top, 0);
    EXPECT_EQ(moved.bottom, 600);

    PackPlacement({70000, 10, 70400, 100}, x, y);
    const Placement far = UnpackPlacement(x, y);
    EXPECT_EQ(far.right, 65535);
    EXPECT_EQ(far.right - far.left, 400);
}

TEST(Settings, DefaultsAndRoundTrip)
{
    test::TempDir dir;
    test::IsolatedEnvironment environment{dir.Path()};
    ShellSettings s;
    LoadSettings(s, "alice");
    EXPECT_EQ(std::string(s.fonts.Font0), Sjis("ＭＳ Ｐゴシック"));
    EXPECT_EQ(std::string(s.fonts.Font1), Sjis("ＭＳ Ｐ明朝"));
    EXPECT_EQ(s.fonts.FontSize0, 110);
    EXPECT_EQ(s.fonts.FontSize1, 100);
    EXPECT_EQ(s.noMemDC, 0);
    EXPECT_EQ(s.mode, 1);
    EXPECT_EQ(s.random, 1);
    EXPECT_EQ(s.defColor, 8453888);
    EXPECT_EQ(s.window, 0);
    EXPECT_EQ(s.user, std::string("alice"));
    EXPECT_TRUE(s.group.empty() && s.personal.empty());

    registry::WriteNumber(registry::Root::CurrentUser, settings::kProperty, "Weekend", 5);
    s.noMemDC = 1;
    s.endTime = 1;
    s.group = "/share/共有 フォルダ/営業.group";
    s.personal = "/home/u/dàta/私の予定😀.mvp";
    EXPECT_TRUE(SaveSettings(s));
    ShellSettings again;
    EXPECT_EQ(LoadSettings(again, "bob"), kSettingsVersion);
    EXPECT_EQ(again.noMemDC, 1);
    EXPECT_EQ(again.fonts.Spare, 1);
    EXPECT_EQ(again.endTime, 1);
    EXPECT_EQ(again.user, std::string("alice"));
    EXPECT_EQ(again.group, s.group);
    EXPECT_EQ(again.personal, s.personal);
    EXPECT_EQ(registry::ReadNumber(registry::Root::CurrentUser, settings::kProperty, "Weekend", 0), 5u);
}

TEST(Settings, APathThatCannotBeStoredIsReported)
{
    ShellSettings s = DefaultSettings();
    s.personal = "/home/u/calendar.mvp";
    ASSERT_TRUE(SaveSettings(s));
    // A hive the user made read-only is never replaced.
    const std::string hive = registry::HivePath(registry::Root::CurrentUser);
    ASSERT_EQ(chmod(hive.c_str(), 0444), 0);
    s.personal = "/home/u/データ/calendar.mvp";
    EXPECT_FALSE(SaveSettings(s));
    chmod(hive.c_str(), 0644);
}

TEST(Settings, LongFaceNamesAreCutWhole)
{
    char field[64];
    SetFaceName(field, std::string(80, 'a'));
    EXPECT_EQ(std::strlen(field), size_t{63});
    // 31 double-byte characters fill 62 bytes; the 32nd would split.
    std::string wide;
    for (int i = 0; i < 40; ++i)
        wide += Sjis("明");
    SetFaceName(field, wide);
    EXPECT_EQ(std::strlen(field), size_t{62});
    EXPECT_EQ(std::string(field), wide.substr(0, 62));

    // The view's block takes the same cut, and Spare carries noMemDC.
    const VIEWFONTS fonts = MakeViewFonts(wide, 160, Sjis("ＭＳ Ｐ明朝"), 90, 1);
    EXPECT_EQ(std::string(fonts.Font0), wide.substr(0, 62));
    EXPECT_EQ(std::string(fonts.Font1), Sjis("ＭＳ Ｐ明朝"));
    EXPECT_EQ(fonts.FontSize0, 160);
    EXPECT_EQ(fonts.FontSize1, 90);
    EXPECT_EQ(fonts.Spare, 1);
}
