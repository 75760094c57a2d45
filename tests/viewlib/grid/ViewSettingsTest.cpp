#include "viewlib/grid/ViewSettings.h"

#include "common/IsolatedEnvironment.h"
#include "common/TempDir.h"
#include "support/Codepage.h"
#include "support/registry/Registry.h"
#include "support/settings/SettingsTable.h"

#include <gtest/gtest.h>

using namespace mirovan;
using namespace mirovan::view;

namespace {
std::string Utf8(const char* cp932) { return codepage::ToUtf8(cp932).value(); }
} // namespace

class ViewSettings : public ::testing::Test {
protected:
    test::TempDir dir;
    test::IsolatedEnvironment m_environment{dir.Path()};
};

TEST_F(ViewSettings, DefaultsWithoutAnyKey)
{
    VIEWFONTS f{};
    LoadFontSettings(f);
    EXPECT_EQ(Utf8(f.Font0), "ＭＳ Ｐ明朝");
    EXPECT_EQ(Utf8(f.Font1), "ＭＳ Ｐ明朝");
    EXPECT_EQ(f.FontSize0, 100);
    EXPECT_EQ(f.FontSize1, 100);
}

TEST_F(ViewSettings, EachValueOnItsOwn)
{
    registry::WriteNumber(registry::Root::CurrentUser, settings::kProperty, "FontSize1", 120);
    VIEWFONTS f{};
    f.Spare = 7;
    LoadFontSettings(f);
    EXPECT_EQ(f.FontSize0, 100);
    EXPECT_EQ(f.FontSize1, 120);
    EXPECT_EQ(f.Spare, 7); // never touched

    registry::WriteText(registry::Root::CurrentUser, settings::kProperty, "Font0",
                        codepage::FromUtf8("ＭＳ Ｐゴシック").value());
    LoadFontSettings(f);
    EXPECT_EQ(Utf8(f.Font0), "ＭＳ Ｐゴシック");
    EXPECT_EQ(Utf8(f.Font1), "ＭＳ Ｐ明朝");
}
