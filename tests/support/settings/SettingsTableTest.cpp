#include "support/settings/SettingsStore.h"

#include "common/IsolatedEnvironment.h"
#include "common/TempDir.h"
#include "support/Codepage.h"
#include "support/Profile.h"
#include "support/registry/Registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <tuple>

namespace mirovan::settings {
namespace {

struct Where {
    Store store;
    std::string key;
    std::string name;
    bool operator<(const Where& other) const
    {
        return std::tie(store, key, name) < std::tie(other.store, other.key, other.name);
    }
};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

Where WhereOf(const Entry& entry)
{
    return std::visit(
        [](const auto* value) {
            return Where{value->store, Lower(value->key), Lower(value->name)};
        },
        entry);
}

// Every path kind the rule for paths keeps: code page 932, wide, not UTF-8.
const std::string kPaths[] = {"/home/u/データ/calendar.mvp", "/home/u/é 😀/x.group",
                              std::string("/home/u/\xff\xfe.mvp")};

class SettingsTable : public ::testing::Test {
protected:
    test::TempDir dir;
    test::IsolatedEnvironment environment{dir.Path()};
};

TEST(SettingsTableShape, NamesAreUniqueWhereTheyAreKeptAndTheProfileHoldsNumbers)
{
    // The registry and the profile compare names without case: two entries
    // differing only in case would be one value.
    std::set<Where> seen;
    for (const Entry& entry : kAll) {
        const Where where = WhereOf(entry);
        EXPECT_TRUE(seen.insert(where).second) << where.key << " " << where.name;
        EXPECT_FALSE(where.key.empty());
        if (where.store == Store::Profile) {
            EXPECT_TRUE(std::holds_alternative<const Number*>(entry)) << where.name;
        }
    }
    // Texts' defaults must be storable.
    for (const Entry& entry : kAll) {
        if (const auto* text = std::get_if<const Text*>(&entry)) {
            EXPECT_EQ(DefaultText(**text).empty(), std::string((*text)->fallback).empty()) << (*text)->name;
        }
    }
}

TEST_F(SettingsTable, EveryValueReadsItsDefaultUntilWrittenAndThenWhatWasWritten)
{
    for (const Entry& entry : kAll) {
        if (const auto* number = std::get_if<const Number*>(&entry)) {
            const Number& v = **number;
            EXPECT_EQ(Read(v), v.fallback) << v.name;
            EXPECT_TRUE(Write(v, v.fallback)) << v.name;
            EXPECT_EQ(Read(v, v.fallback + 7), v.fallback) << v.name;
            EXPECT_TRUE(Write(v, 0xFFFFFFFFu)) << v.name;
            EXPECT_EQ(Read(v), 0xFFFFFFFFu) << v.name;
        } else if (const auto* text = std::get_if<const Text*>(&entry)) {
            const Text& v = **text;
            EXPECT_EQ(Read(v), DefaultText(v)) << v.name;
            EXPECT_TRUE(Write(v, DefaultText(v))) << v.name;
            EXPECT_EQ(Read(v), DefaultText(v)) << v.name;
            // Stored empty, a text reads as its default.
            EXPECT_TRUE(Write(v, ""));
            EXPECT_EQ(Read(v), DefaultText(v)) << v.name;
            EXPECT_TRUE(Write(v, "1,2,3,4"));
            EXPECT_EQ(Read(v), "1,2,3,4") << v.name;
        } else {
            const Path& v = *std::get<const Path*>(entry);
            EXPECT_EQ(Read(v), "") << v.name;
            for (const std::string& path : kPaths) {
                EXPECT_TRUE(Write(v, path)) << v.name;
                EXPECT_EQ(Read(v), path) << v.name;
            }
            EXPECT_FALSE(Write(v, std::string("/a\0b", 4))) << v.name;
            EXPECT_EQ(Read(v), kPaths[2]) << v.name;
        }
    }
}

// Files written before the table existed must read the same, and files
// written now must read the same in older copies: the stored names, types
// and places never change.
TEST_F(SettingsTable, StoresNamesAndFormatsAsEarlierVersionsDid)
{
    for (const Entry& entry : kAll) {
        if (const auto* number = std::get_if<const Number*>(&entry))
            Write(**number, (*number)->fallback);
        else if (const auto* text = std::get_if<const Text*>(&entry))
            Write(**text, DefaultText(**text));
        else
            Write(*std::get<const Path*>(entry), kPaths[0]);
    }
    EXPECT_EQ(test::ReadFileBytes(registry::HivePath(registry::Root::CurrentUser)),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\Software]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Tavric]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Tavric\\Mirovan]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Tavric\\Mirovan\\Property]\n"
              "\"Ver\"=dword:00000000\n"
              "\"NoMemDC\"=dword:00000000\n"
              "\"Font0\"=\"ＭＳ Ｐゴシック\"\n"
              "\"Font1\"=\"ＭＳ Ｐ明朝\"\n"
              "\"FontSize0\"=dword:0000006e\n"
              "\"FontSize1\"=dword:00000064\n"
              "\"EndTime\"=dword:00000000\n"
              "\"Mode\"=dword:00000001\n"
              "\"Random\"=dword:00000001\n"
              "\"DefColor\"=dword:0080ff00\n"
              "\"Window\"=dword:00000000\n"
              "\"Group\"=\"/home/u/データ/calendar.mvp\"\n"
              "\"User\"=\"\"\n"
              "\"Personal\"=\"/home/u/データ/calendar.mvp\"\n"
              "\"Weekend\"=dword:00000003\n"
              "\"AutoRefresh\"=dword:00000001\n"
              "\"XPOS\"=dword:00320258\n"
              "\"YPOS\"=dword:00320190\n"
              "\"From\"=dword:00000000\n"
              "\"WeekFrom\"=dword:0000021c\n"
              "\"WeekTo\"=dword:00000438\n"
              "\"WeekLength\"=dword:0000001e\n"
              "\"WeekWindow\"=\"\"\n"
              "\"WeekColumns\"=\"\"\n\n");
    EXPECT_EQ(test::ReadFileBytes(registry::HivePath(registry::Root::LocalMachine)),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_LOCAL_MACHINE\\Software]\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Tavric]\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Tavric\\Mirovan]\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Tavric\\Mirovan\\Property]\n"
              "\"Path\"=\"/home/u/データ/calendar.mvp\"\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Microsoft]\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows]\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion]\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths]\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Mirovan.exe]\n"
              "@=\"/home/u/データ/calendar.mvp\"\n"
              "\"Path\"=\"/home/u/データ/calendar.mvp\"\n\n");
    EXPECT_EQ(test::ReadFileBytes(profile::ProfilePath()),
              "[Property]\r\nPrintHeight=50\r\nMVListWidth=125972630\r\nMVListPos=6553700\r\nMVListSize=23593360\r\n");
}

TEST_F(SettingsTable, AFamilyKeepsOneTextPerName)
{
    const std::string sales = codepage::FromUtf8("営業部").value();
    const std::string office = codepage::FromUtf8("総務部").value();
    EXPECT_EQ(Read(kSelectedMember, sales), "");
    EXPECT_TRUE(Write(kSelectedMember, sales, "M001"));
    EXPECT_TRUE(Write(kSelectedMember, office, "M002"));
    EXPECT_EQ(Read(kSelectedMember, sales), "M001");
    EXPECT_EQ(Read(kSelectedMember, office), "M002");
}

TEST_F(SettingsTable, FilesLiveInTheMakersFolders)
{
    EXPECT_EQ(ConfigFolder(), dir.File("config/Tavric"));
    EXPECT_EQ(MachineConfigFolder(), dir.File("etc-xdg/Tavric"));
    EXPECT_EQ(DataFolder(), dir.File("data/Tavric"));
    EXPECT_EQ(profile::ProfilePath(), dir.File("config/Tavric/Mirovan.INI"));
}

} // namespace
} // namespace mirovan::settings
