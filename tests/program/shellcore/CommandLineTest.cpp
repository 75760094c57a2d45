#include "program/shellcore/CommandLine.h"

#include "common/Text.h"

#include "support/Codepage.h"

#include <gtest/gtest.h>

using namespace mirovan;
using mirovan::test::Sjis;
using namespace mirovan::shell;

namespace {

struct LineCase {
    const char* name;
    std::string line;
    std::string setting;
    std::string group;
    std::string member;
    int result;
};

} // namespace

TEST(CommandLine, Forms)
{
    const std::string sales = "/share/sales.group";
    const LineCase cases[] = {
        {"group", sales, "", sales, "", 1},
        {"upper-case extension", "/share/sales.GROUP", "", "/share/sales.GROUP", "", 1},
        {"quoted", "\"/share/my sales.group\"", "", "/share/my sales.group", "", 1},
        {"month file", "/share/sales200702.sch", "", sales, "", 1},
        {"month file in quotes", "\"/share/sales200702.SCH\"", "", sales, "", 1},
        {"other file", "/share/notes.txt", "", "", "", 0},
        {"no extension", "group", "", "group", "", 1},
        {"empty takes the setting", "", sales, sales, "", 1},
        {"launcher", "/BYLINK /file:\"/share/sales.group\" /member:0012", "", sales, "0012", 1},
        {"launcher in lower case", "/bylink /file:\"/share/sales.group\" /member:0012", "", sales, "0012", 1},
        {"launcher, blanks after the code", "/bylink /file:\"/share/sales.group\"   /member:0012  ", "", sales,
         "0012  ", 1},
        {"launcher with a blank in the path", "/BYLINK /file:\"/my share/sales.group\" /member:7", "",
         "/my share/sales.group", "7", 1},
        {"launcher without the member", "/BYLINK /file:\"/share/sales.group\"", "", sales, "", 1},
        {"launcher, member first", "/BYLINK /member:7 /file:\"/share/sales.group\"", "", sales, "", 1},
        {"launcher without markers", "/BYLINK", sales, sales, "", 1},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        const StartupFile file = ReadCommandLine(c.line, c.setting);
        EXPECT_EQ(file.groupPath, c.group);
        EXPECT_EQ(file.memberCode, c.member);
        EXPECT_EQ(file.result, c.result);
    }
}

TEST(CommandLine, APersonalFileNamedOnTheLineIsOpenedAsOne)
{
    const std::string sales = "/share/sales.group";
    const StartupFile quoted = ReadCommandLine("\"/home/u/my data/calendar.mvp\"", sales);
    EXPECT_EQ(quoted.personalPath, "/home/u/my data/calendar.mvp");
    EXPECT_EQ(quoted.groupPath, "");
    EXPECT_EQ(ReadCommandLine("notes.MVP", sales).personalPath, "notes.MVP");
    // The Group setting is a group, whatever its name.
    EXPECT_EQ(ReadCommandLine("", "/home/u/odd.mvp").personalPath, "");
    EXPECT_EQ(ReadCommandLine(sales, "").personalPath, "");
}

TEST(CommandLine, LauncherUpperCasesOnlyAscii)
{
    // "ｂ" in code page 932 is 0x82 0x82; its bytes must not change.
    const std::string sjis = Sjis("/ｂylink");
    EXPECT_EQ(AsciiUpper(sjis), sjis.substr(0, 3) + "YLINK");
    EXPECT_EQ(ReadCommandLine(Sjis("/ＢＹＬＩＮＫ x.group"), "").groupPath, Sjis("/ＢＹＬＩＮＫ x.group"));
}

TEST(CommandLine, ArgumentsAreJoinedWithQuotes)
{
    EXPECT_EQ(JoinArguments({}), std::string());
    EXPECT_EQ(JoinArguments({"/share/sales.group"}), std::string("/share/sales.group"));
    EXPECT_EQ(JoinArguments({"/my share/sales.group"}), std::string("\"/my share/sales.group\""));
    EXPECT_EQ(JoinArguments({"/BYLINK", "/file:\"/s/sales.group\"", "/member:0012"}),
              std::string("/BYLINK /file:\"/s/sales.group\" /member:0012"));
    // A quoted argument with a blank comes back whole.
    EXPECT_EQ(ReadCommandLine(JoinArguments({"/my share/sales.group"}), "").groupPath,
              std::string("/my share/sales.group"));
}

// However the launcher's form arrives, the group with blanks and Japanese
// characters in its path opens and the member is selected.
TEST(CommandLine, TheLauncherFormWithBlanksInThePathOpensTheGroup)
{
    const std::string path = "/srv/共有 フォルダ/営業.group";
    const std::vector<std::vector<std::string>> forms = {
        {"/BYLINK", "/file:\"" + path + "\"", "/member:M010"},                     // the launcher's three arguments
        {"/BYLINK /file:\"" + path + "\" /member:M010"},                           // the whole form as one argument
        {"/BYLINK", "/file:" + path, "/member:M010"},                              // split by a shell, quotes taken off
        {"/bylink", "/file:\"/srv/共有", "フォルダ/営業.group\"", "/member:M010"}, // split at the blank
        {"/BYLINK", "/file:/srv/共有", "フォルダ/営業.group", "/member:M010"},     // split, quotes taken off
    };
    for (const auto& arguments : forms) {
        const StartupFile start = ReadCommandLine(JoinArguments(arguments), "/other.group");
        EXPECT_EQ(start.groupPath, path) << JoinArguments(arguments);
        EXPECT_EQ(start.memberCode, "M010") << JoinArguments(arguments);
    }
    // The member code is still taken as it is, blanks included.
    EXPECT_EQ(ReadCommandLine(JoinArguments({"/BYLINK", "/file:" + path, "/member:M 010 "}), "").memberCode, "M 010 ");
    // A month file with blanks and Japanese characters opens its group.
    EXPECT_EQ(ReadCommandLine(JoinArguments({"/srv/共有 フォルダ/営業200702.sch"}), "").groupPath, path);
}
