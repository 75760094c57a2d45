#include "support/registry/Registry.h"
#include "common/IsolatedEnvironment.h"
#include "common/TempDir.h"
#include "support/Codepage.h"
#include "support/platform/Platform.h"
#include "support/settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace mirovan::registry {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::WriteFileBytes;

constexpr const char* kProperty = "Software\\Tavric\\Mirovan\\Property";
constexpr const char* kHeader = "Windows Registry Editor Version 5.00\n\n";

std::string Cp(const char* utf8) { return codepage::FromUtf8(utf8).value(); }

// Every test gets hives of its own.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_environment.SetFolders("XDG_CONFIG_DIRS", {dir_.File("etc-xdg"), dir_.File("other")});
        TakeDamageReports();
    }

    std::string UserHive() const { return dir_.File("config/Tavric/user.reg"); }
    std::string MachineHive() const { return dir_.File("etc-xdg/Tavric/machine.reg"); }
    void PutHive(const std::string& path, const std::string& text) const
    {
        fs::create_directories(fs::path(path).parent_path());
        WriteFileBytes(path, text);
    }
    std::vector<std::string> DamagedCopies() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_.File("config/Tavric")))
            if (entry.path().filename().string().find(".damaged-") != std::string::npos)
                names.push_back(entry.path().string());
        return names;
    }

    test::TempDir dir_;
    test::IsolatedEnvironment m_environment{dir_.Path()};
};

TEST_F(RegistryTest, HivesLiveInTheUsersAndTheFirstSystemConfigFolder)
{
    EXPECT_EQ(HivePath(Root::CurrentUser), UserHive());
    EXPECT_EQ(HivePath(Root::LocalMachine), MachineHive());
}

TEST_F(RegistryTest, ValuesReadBackAsWrittenAndMissingOnesAsTheDefault)
{
    EXPECT_EQ(ReadNumber(Root::CurrentUser, kProperty, "Ver", 7), 7u);
    EXPECT_EQ(ReadText(Root::CurrentUser, kProperty, "Group", "none"), "none");
    EXPECT_FALSE(fs::exists(UserHive())) << "reading creates nothing";

    ASSERT_TRUE(WriteNumber(Root::CurrentUser, kProperty, "Ver", 220));
    ASSERT_TRUE(WriteText(Root::CurrentUser, kProperty, "Font0", Cp("ＭＳ Ｐゴシック")));
    ASSERT_TRUE(WriteText(Root::CurrentUser, kProperty, "Group", ""));
    ASSERT_TRUE(WriteText(Root::LocalMachine, kProperty, "Path", "/opt/mirovan"));

    EXPECT_EQ(ReadNumber(Root::CurrentUser, "software\\tavric\\MIROVAN\\property", "VER", 0), 220u);
    EXPECT_EQ(ReadText(Root::CurrentUser, kProperty, "Font0", ""), Cp("ＭＳ Ｐゴシック"));
    EXPECT_EQ(ReadText(Root::CurrentUser, kProperty, "Group", "fallback"), "fallback") << "empty reads as default";
    EXPECT_EQ(ReadText(Root::LocalMachine, kProperty, "Path", ""), "/opt/mirovan");
    EXPECT_EQ(ReadText(Root::CurrentUser, kProperty, "Path", "user has none"), "user has none");
    // The type is not checked: a text reads as the number of its bytes.
    EXPECT_EQ(ReadNumber(Root::CurrentUser, kProperty, "Group", 5), 0u);
    ASSERT_TRUE(WriteText(Root::CurrentUser, kProperty, "Long", "12345"));
    EXPECT_EQ(ReadNumber(Root::CurrentUser, kProperty, "Long", 5), 5u) << "6 bytes do not fit a number";

    const std::string file = ReadFileBytes(UserHive());
    EXPECT_EQ(file, std::string(kHeader) + "[HKEY_CURRENT_USER\\Software]\n\n"
                                           "[HKEY_CURRENT_USER\\Software\\Tavric]\n\n"
                                           "[HKEY_CURRENT_USER\\Software\\Tavric\\Mirovan]\n\n"
                                           "[HKEY_CURRENT_USER\\Software\\Tavric\\Mirovan\\Property]\n"
                                           "\"Ver\"=dword:000000dc\n"
                                           "\"Font0\"=\"ＭＳ Ｐゴシック\"\n"
                                           "\"Group\"=\"\"\n"
                                           "\"Long\"=\"12345\"\n\n");
    EXPECT_NE(ReadFileBytes(MachineHive())
                  .find("[HKEY_LOCAL_MACHINE\\Software\\Tavric\\Mirovan\\Property]\n"
                        "\"Path\"=\"/opt/mirovan\"\n"),
              std::string::npos);
}

TEST_F(RegistryTest, TextThatIsNotCodePage932IsRefusedWithoutTouchingTheFile)
{
    ASSERT_TRUE(WriteText(Root::CurrentUser, kProperty, "Keep", "kept"));
    const std::string before = ReadFileBytes(UserHive());
    EXPECT_FALSE(WriteText(Root::CurrentUser, kProperty, "Bad", "\x81"));
    EXPECT_FALSE(WriteText(Root::CurrentUser, kProperty, "\x82", "name is broken"));
    EXPECT_FALSE(WriteNumber(Root::CurrentUser, "Software\\\xA0\xFF", "v", 1)) << "key name is broken";
    EXPECT_FALSE(WriteNumber(Root::CurrentUser, kProperty, "two\nlines", 1));
    EXPECT_FALSE(WriteNumber(Root::CurrentUser, "Software\\\\Tavric", "v", 1)) << "empty key name";
    EXPECT_EQ(ReadFileBytes(UserHive()), before);
    // Line breaks inside a text are kept.
    ASSERT_TRUE(WriteText(Root::CurrentUser, kProperty, "Memo", "one\r\ntwo"));
    EXPECT_EQ(ReadText(Root::CurrentUser, kProperty, "Memo", ""), "one\r\ntwo");
}

TEST_F(RegistryTest, AnExportFromThePlatformEditorCanBeDroppedIn)
{
    const std::u16string text = u"Windows Registry Editor Version 5.00\r\n\r\n"
                                u"[HKEY_CURRENT_USER\\Software\\Tavric\\Mirovan\\Property]\r\n"
                                u"@=\"既定\"\r\n"
                                u"\"Font1\"=\"ＭＳ Ｐ明朝\"\r\n"
                                u"\"FontSize1\"=dword:00000064\r\n"
                                u"\"Env\"=hex(2):41,00,00,00\r\n\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    PutHive(UserHive(), bytes);
    EXPECT_EQ(ReadText(Root::CurrentUser, kProperty, "", ""), Cp("既定"));
    EXPECT_EQ(ReadText(Root::CurrentUser, kProperty, "Font1", ""), Cp("ＭＳ Ｐ明朝"));
    EXPECT_EQ(ReadNumber(Root::CurrentUser, kProperty, "FontSize1", 0), 100u);
    // The first change writes it out in UTF-8 with everything kept.
    ASSERT_TRUE(WriteNumber(Root::CurrentUser, kProperty, "FontSize0", 110));
    EXPECT_NE(ReadFileBytes(UserHive())
                  .find("@=\"既定\"\n\"Font1\"=\"ＭＳ Ｐ明朝\"\n\"FontSize1\"=dword:00000064\n"
                        "\"Env\"=hex(2):41,00,00,00\n\"FontSize0\"=dword:0000006e\n"),
              std::string::npos);
    EXPECT_TRUE(TakeDamageReports().empty());
}

// Paths are the user's own bytes: whatever the file system can name comes
// back exactly, through the file as well.
TEST_F(RegistryTest, PathsComeBackByteForByte)
{
    const std::vector<std::string> paths = {
        "/home/u/calendar.mvp",   "/srv/共有 フォルダ/営業.group", "/home/u/dàta/calendar.mvp",
        "/home/u/😀/私の予定.mvp", "/home/u/folder /x.mvp",         "/home/u/\xE9t\xE9/latin1.mvp",
        "/home/u/two\nlines.mvp", "/home/u/\xC2\xA5yen.mvp",       "/home/u/～.mvp",
    };
    for (const std::string& path : paths) {
        ASSERT_TRUE(WritePath(Root::CurrentUser, kProperty, "Personal", path)) << path;
        EXPECT_EQ(ReadPath(Root::CurrentUser, kProperty, "Personal"), path);
    }
    ASSERT_TRUE(WritePath(Root::CurrentUser, kProperty, "Group", "/home/u/dàta/営業.group"));
    ASSERT_TRUE(WritePath(Root::CurrentUser, kProperty, "Personal", "/home/u/データ/calendar.mvp"));
    const std::string file = ReadFileBytes(UserHive());
    EXPECT_NE(file.find("\"Group\"=\"/home/u/dàta/営業.group\"\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\"Personal\"=\"/home/u/データ/calendar.mvp\"\n"), std::string::npos) << file;
    // The ANSI reads see what the code page can show.
    EXPECT_EQ(ReadText(Root::CurrentUser, kProperty, "Group", ""), Cp("/home/u/d?ta/営業.group"));
    EXPECT_EQ(ReadText(Root::CurrentUser, kProperty, "Personal", ""), Cp("/home/u/データ/calendar.mvp"));
    EXPECT_FALSE(WritePath(Root::CurrentUser, kProperty, "Personal", std::string("/a\0b", 4)));
    EXPECT_EQ(ReadPath(Root::CurrentUser, kProperty, "Personal"), "/home/u/データ/calendar.mvp");
    EXPECT_TRUE(TakeDamageReports().empty());
}

TEST_F(RegistryTest, AnExportWithTextsTheCodePageLacksReadsWithoutHarm)
{
    const std::u16string text = u"Windows Registry Editor Version 5.00\r\n\r\n"
                                u"[HKEY_CURRENT_USER\\Software\\Tavric\\Mirovan\\Property]\r\n"
                                u"\"Group\"=\"C:\\Users\\José\\共有\\営業.group\"\r\n"
                                u"\"Personal\"=\"C:\\データ\\私の予定.mvp\"\r\n\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    PutHive(UserHive(), bytes);
    EXPECT_EQ(ReadPath(Root::CurrentUser, kProperty, "Group"), "C:\\Users\\José\\共有\\営業.group");
    EXPECT_EQ(ReadPath(Root::CurrentUser, kProperty, "Personal"), "C:\\データ\\私の予定.mvp");
    ASSERT_TRUE(WriteNumber(Root::CurrentUser, kProperty, "Ver", 220));
    EXPECT_EQ(ReadPath(Root::CurrentUser, kProperty, "Group"), "C:\\Users\\José\\共有\\営業.group");
    EXPECT_TRUE(TakeDamageReports().empty());
    EXPECT_TRUE(DamagedCopies().empty());
}

TEST_F(RegistryTest, SubkeysAreCollectedAndDeletedAsATree)
{
    for (const char* key : {"R\\A\\A1", "R\\A\\A2\\A21", "R\\B", "R2"})
        ASSERT_TRUE(WriteNumber(Root::CurrentUser, key, "v", 1));
    std::vector<std::string> found{"kept"};
    CollectSubkeys(Root::CurrentUser, "r", found);
    EXPECT_EQ(found, (std::vector<std::string>{"kept", "r\\A", "r\\A\\A1", "r\\A\\A2", "r\\A\\A2\\A21", "r\\B"}));
    found.clear();
    CollectSubkeys(Root::CurrentUser, "Missing", found);
    EXPECT_TRUE(found.empty());

    DeleteIfLeaf(Root::CurrentUser, "R\\A");
    EXPECT_EQ(ReadNumber(Root::CurrentUser, "R\\A\\A1", "v", 0), 1u) << "a key with subkeys stays";
    DeleteIfLeaf(Root::CurrentUser, "R\\B");
    EXPECT_EQ(ReadNumber(Root::CurrentUser, "R\\B", "v", 0), 0u) << "a leaf goes, values and all";

    DeleteTree(Root::CurrentUser, "R\\A");
    found.clear();
    CollectSubkeys(Root::CurrentUser, "R", found);
    EXPECT_TRUE(found.empty());
    EXPECT_EQ(ReadNumber(Root::CurrentUser, "R2", "v", 0), 1u);
    DeleteTree(Root::CurrentUser, "");
    EXPECT_EQ(ReadNumber(Root::CurrentUser, "R2", "v", 0), 1u) << "the root is never deleted";
}

TEST_F(RegistryTest, CopiesCarryValuesWithinTheirLimitsAndKeyClasses)
{
    PutHive(UserHive(), std::string(kHeader) + "[HKEY_CURRENT_USER\\Src]\n\"Top\"=dword:00000001\n\n"
                                               "[HKEY_CURRENT_USER\\Src\\Sub]\n;Class=\"cls\"\n\"Deep\"=\"x\"\n\n"
                                               "[HKEY_CURRENT_USER\\Dst]\n\"Top\"=\"old\"\n\"Other\"=\"stays\"\n\n");
    const std::string big(5000, 'b');
    ASSERT_TRUE(WriteText(Root::CurrentUser, "Src", "Big", big));
    ASSERT_TRUE(WriteText(Root::CurrentUser, "Src", "Edge", std::string(4095, 'e'))) << "4096 bytes with its NUL";
    ASSERT_TRUE(WriteText(Root::CurrentUser, "Src", std::string(255, 'n'), "name at the limit"));
    ASSERT_TRUE(WriteText(Root::CurrentUser, "Src", std::string(256, 'n'), "name past the limit"));

    CopyTree(Root::CurrentUser, "Src", Root::CurrentUser, "Dst");
    EXPECT_EQ(ReadNumber(Root::CurrentUser, "Dst", "Top", 0), 1u);
    EXPECT_EQ(ReadText(Root::CurrentUser, "Dst", "Other", ""), "stays");
    EXPECT_EQ(ReadText(Root::CurrentUser, "Dst\\Sub", "Deep", ""), "x");
    EXPECT_EQ(ReadText(Root::CurrentUser, "Dst", "Big", "not copied"), "not copied");
    EXPECT_EQ(ReadText(Root::CurrentUser, "Dst", "Edge", "").size(), 4095u);
    EXPECT_EQ(ReadText(Root::CurrentUser, "Dst", std::string(255, 'n'), ""), "name at the limit");
    EXPECT_EQ(ReadText(Root::CurrentUser, "Dst", std::string(256, 'n'), "not copied"), "not copied");
    EXPECT_NE(ReadFileBytes(UserHive()).find("[HKEY_CURRENT_USER\\Dst\\Sub]\n;Class=\"cls\"\n"), std::string::npos);

    // Into another hive, and into the source's own subtree.
    CopyTree(Root::CurrentUser, "Src", Root::LocalMachine, "Copy");
    EXPECT_EQ(ReadText(Root::LocalMachine, "Copy\\Sub", "Deep", ""), "x");
    CopyTree(Root::CurrentUser, "Src", Root::CurrentUser, "Src\\Sub\\Inner");
    EXPECT_EQ(ReadText(Root::CurrentUser, "Src\\Sub\\Inner\\Sub", "Deep", ""), "x");
    EXPECT_EQ(ReadText(Root::CurrentUser, "Src\\Sub\\Inner\\Sub\\Inner", "Deep", "none"), "none");

    CopyValues(Root::CurrentUser, "Src", Root::CurrentUser, "Flat");
    EXPECT_EQ(ReadNumber(Root::CurrentUser, "Flat", "Top", 0), 1u);
    EXPECT_EQ(ReadText(Root::CurrentUser, "Flat\\Sub", "Deep", "values only"), "values only");
    CopyTree(Root::CurrentUser, "Nowhere", Root::CurrentUser, "Made");
    std::vector<std::string> all;
    CollectSubkeys(Root::CurrentUser, "", all);
    EXPECT_EQ(std::count(all.begin(), all.end(), "Src\\Sub"), 1);
    EXPECT_EQ(std::count(all.begin(), all.end(), "Made"), 0) << "a missing source creates nothing";
}

class RegistryMigration : public RegistryTest {
protected:
    void OldUserTree(uint32_t ver)
    {
        ASSERT_TRUE(WriteNumber(Root::CurrentUser, "Software\\Brenlow\\Mirovan\\Property", "Ver", ver));
        ASSERT_TRUE(WriteText(Root::CurrentUser, "Software\\Brenlow\\Mirovan\\Property", "Group", "/g/a.group"));
        ASSERT_TRUE(WriteText(Root::CurrentUser, "Software\\Brenlow\\Mirovan\\Selected", "Team", "C101"));
    }
};

TEST_F(RegistryMigration, MovesBothHivesAndRemovesTheOldMakerKeyWhenEmpty)
{
    OldUserTree(210);
    ASSERT_TRUE(WriteText(Root::CurrentUser, "Software\\Brenlow\\Mirovan\\Property", "Big", std::string(5000, 'x')));
    ASSERT_TRUE(WriteText(Root::CurrentUser, kProperty, "Personal", "/home/me/calendar.mvp"));
    ASSERT_TRUE(WriteText(Root::LocalMachine, "Software\\Brenlow\\Mirovan\\Property", "Path", "/opt/old"));

    settings::MigrateLegacyKey();
    EXPECT_EQ(ReadNumber(Root::CurrentUser, kProperty, "Ver", 0), 210u);
    EXPECT_EQ(ReadText(Root::CurrentUser, kProperty, "Group", ""), "/g/a.group");
    EXPECT_EQ(ReadText(Root::CurrentUser, kProperty, "Personal", ""), "/home/me/calendar.mvp");
    EXPECT_EQ(ReadText(Root::CurrentUser, "Software\\Tavric\\Mirovan\\Selected", "Team", ""), "C101");
    EXPECT_EQ(ReadText(Root::CurrentUser, kProperty, "Big", "too big to copy"), "too big to copy");
    EXPECT_EQ(ReadText(Root::LocalMachine, kProperty, "Path", ""), "/opt/old");
    for (Root root : {Root::CurrentUser, Root::LocalMachine}) {
        std::vector<std::string> keys;
        CollectSubkeys(root, "Software", keys);
        EXPECT_EQ(std::count(keys.begin(), keys.end(), "Software\\Brenlow"), 0);
        EXPECT_EQ(std::count(keys.begin(), keys.end(), "Software\\Tavric\\Mirovan\\Property"), 1);
    }

    // Nothing is left to decide a second run.
    ASSERT_TRUE(WriteText(Root::CurrentUser, kProperty, "Group", "/g/new.group"));
    const std::string before = ReadFileBytes(UserHive());
    settings::MigrateLegacyKey();
    EXPECT_EQ(ReadFileBytes(UserHive()), before);
}

TEST_F(RegistryMigration, AnotherProductOfTheOldMakerStays)
{
    OldUserTree(1);
    ASSERT_TRUE(WriteNumber(Root::CurrentUser, "Software\\Brenlow\\Planner", "Size", 3));
    settings::MigrateLegacyKey();
    EXPECT_EQ(ReadNumber(Root::CurrentUser, "Software\\Brenlow\\Planner", "Size", 0), 3u);
    std::vector<std::string> keys;
    CollectSubkeys(Root::CurrentUser, "Software\\Brenlow", keys);
    EXPECT_EQ(keys, std::vector<std::string>{"Software\\Brenlow\\Planner"});
    EXPECT_EQ(ReadText(Root::CurrentUser, kProperty, "Group", ""), "/g/a.group");
}

TEST_F(RegistryMigration, WithoutAVersionNothingIsTouched)
{
    for (bool zeroVersion : {true, false}) {
        SCOPED_TRACE(zeroVersion ? "Ver is 0" : "no Ver");
        if (zeroVersion) {
            OldUserTree(0);
        } else {
            DeleteTree(Root::CurrentUser, "Software");
            ASSERT_TRUE(WriteText(Root::CurrentUser, "Software\\Brenlow\\Mirovan\\Property", "Group", "/g/a.group"));
        }
        ASSERT_TRUE(WriteText(Root::LocalMachine, "Software\\Brenlow\\Mirovan\\Property", "Path", "/opt/old"));
        const std::string user = ReadFileBytes(UserHive());
        const std::string machine = ReadFileBytes(MachineHive());
        settings::MigrateLegacyKey();
        EXPECT_EQ(ReadFileBytes(UserHive()), user);
        EXPECT_EQ(ReadFileBytes(MachineHive()), machine);
    }
}

// "p<child>_<index>", appended: GCC 12 in Release warns of an overlap in
// "p" + std::string that cannot happen.
std::string ValueName(int child, int index)
{
    std::string name = "p";
    name += std::to_string(child);
    name += '_';
    name += std::to_string(index);
    return name;
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing)
{
    constexpr int kEach = 200;
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = ::fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            int failures = 0;
            for (int i = 0; i < kEach; ++i)
                failures +=
                    !WriteNumber(Root::CurrentUser, kProperty, ValueName(c, i), static_cast<uint32_t>(c * 1000 + i));
            ::_exit(failures == 0 ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < kEach; ++i)
            ASSERT_EQ(ReadNumber(Root::CurrentUser, kProperty, ValueName(c, i), 99999),
                      static_cast<uint32_t>(c * 1000 + i));
}

TEST_F(RegistryTest, ADamagedFileIsKeptAsideReportedOnceAndReplaced)
{
    const std::string garbage = std::string(kHeader) + "[HKEY_CURRENT_USER\\Software]\n\"cut";
    PutHive(UserHive(), garbage);
    EXPECT_EQ(ReadNumber(Root::CurrentUser, "Software", "v", 42), 42u);
    auto reports = TakeDamageReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].hivePath, UserHive());
    EXPECT_NE(reports[0].reason.find("line 4"), std::string::npos);
    EXPECT_NE(reports[0].Text().find(reports[0].keptAs), std::string::npos);
    const auto kept = DamagedCopies();
    ASSERT_EQ(kept, std::vector<std::string>{reports[0].keptAs});
    EXPECT_EQ(ReadFileBytes(kept[0]), garbage);
    EXPECT_FALSE(fs::exists(UserHive()));

    ASSERT_TRUE(WriteNumber(Root::CurrentUser, "Software", "v", 1));
    EXPECT_EQ(ReadNumber(Root::CurrentUser, "Software", "v", 0), 1u);
    EXPECT_TRUE(TakeDamageReports().empty());

    // Found by a write this time, in the same second: the first copy stays.
    PutHive(UserHive(), std::string("\x00\x01garbage", 9));
    ASSERT_TRUE(WriteNumber(Root::CurrentUser, "Software", "w", 2));
    EXPECT_EQ(ReadNumber(Root::CurrentUser, "Software", "v", 0), 0u);
    EXPECT_EQ(ReadNumber(Root::CurrentUser, "Software", "w", 0), 2u);
    EXPECT_EQ(TakeDamageReports().size(), 1u);
    EXPECT_EQ(DamagedCopies().size(), 2u);
    EXPECT_EQ(ReadFileBytes(kept[0]), garbage);
}

TEST_F(RegistryTest, NoHiveGrowsBeyondWhatCanBeReadBack)
{
    ASSERT_TRUE(WriteText(Root::CurrentUser, "A", "small", "fits"));
    const std::string before = ReadFileBytes(UserHive());
    EXPECT_FALSE(WriteText(Root::CurrentUser, "A", "huge", std::string(5u << 20, 'h')));
    EXPECT_EQ(ReadFileBytes(UserHive()), before);

    const std::string oversized = std::string(kHeader) + ";" + std::string(5u << 20, ' ') + "\n";
    PutHive(UserHive(), oversized);
    EXPECT_EQ(ReadText(Root::CurrentUser, "A", "small", "gone"), "gone");
    const auto reports = TakeDamageReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(ReadFileBytes(reports[0].keptAs).size(), oversized.size());
}

TEST_F(RegistryTest, ADamagedFileThatCannotBeMovedIsLeftAloneAndReportedOnce)
{
    PutHive(UserHive(), "not a hive");
    // A folder where the lock file would go keeps it from being taken.
    fs::create_directory(UserHive() + ".lock");
    EXPECT_EQ(ReadText(Root::CurrentUser, "A", "b", "d"), "d");
    EXPECT_EQ(ReadText(Root::CurrentUser, "A", "b", "d"), "d");
    EXPECT_FALSE(WriteText(Root::CurrentUser, "A", "b", "c"));
    const auto reports = TakeDamageReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].keptAs.empty());
    EXPECT_EQ(ReadFileBytes(UserHive()), "not a hive");
}

TEST_F(RegistryTest, AHiveThatCannotBeWrittenRefusesChangesAndStaysAsItWas)
{
    ASSERT_TRUE(WriteNumber(Root::CurrentUser, kProperty, "Ver", 220));
    const std::string before = ReadFileBytes(UserHive());
    ::chmod(UserHive().c_str(), 0444);
    EXPECT_FALSE(WriteNumber(Root::CurrentUser, kProperty, "Mode", 1));
    DeleteTree(Root::CurrentUser, "Software");
    EXPECT_EQ(ReadFileBytes(UserHive()), before);
    EXPECT_EQ(ReadNumber(Root::CurrentUser, kProperty, "Ver", 0), 220u) << "it still reads";

    // A file where the folder should be: the machine hive of a user
    // without rights fails the same way.
    fs::create_directories(dir_.File("etc-xdg"));
    WriteFileBytes(dir_.File("etc-xdg/Tavric"), "in the way");
    EXPECT_FALSE(WriteText(Root::LocalMachine, kProperty, "Path", "/opt"));
    EXPECT_EQ(ReadText(Root::LocalMachine, kProperty, "Path", "none"), "none");
    EXPECT_EQ(ReadFileBytes(dir_.File("etc-xdg/Tavric")), "in the way");
}

TEST_F(RegistryTest, AFolderWithoutWriteRightsRefusesChanges)
{
    ASSERT_TRUE(WriteNumber(Root::CurrentUser, kProperty, "Ver", 220));
    const std::string before = ReadFileBytes(UserHive());
    // Through the file layer, so that it fails for the superuser too.
    platform::SetFaultHook([](platform::FileStep step, const std::string&) {
        return step == platform::FileStep::CreateBeside ? EACCES : 0;
    });
    EXPECT_FALSE(WriteNumber(Root::CurrentUser, kProperty, "Mode", 1));
    platform::SetFaultHook(nullptr);
    EXPECT_EQ(ReadFileBytes(UserHive()), before);
}

TEST_F(RegistryTest, AFileSystemWithoutLocksStillTakesChanges)
{
    platform::SetFaultHook(
        [](platform::FileStep step, const std::string&) { return step == platform::FileStep::Lock ? ENOLCK : 0; });
    EXPECT_TRUE(WriteNumber(Root::CurrentUser, kProperty, "Mode", 1));
    platform::SetFaultHook(nullptr);
    EXPECT_EQ(ReadNumber(Root::CurrentUser, kProperty, "Mode", 0), 1u);
}

} // namespace
} // namespace mirovan::registry
