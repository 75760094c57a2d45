#include "program/groupdata/Holidays.h"

#include "common/TempDir.h"
#include "support/platform/Platform.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <random>

using namespace mirovan;
using namespace std::string_literals;
using Keys = std::vector<uint32_t>;

namespace {

struct Case {
    const char* text;
    int year, month, day;
    int expected;
};

CHolidayTables Loaded(std::string_view text)
{
    CHolidayTables t;
    t.LoadHolidayText(text);
    return t;
}

void ExpectCases(std::initializer_list<Case> cases)
{
    for (const Case& c : cases)
        EXPECT_EQ(Loaded(c.text).GetHolidayStatus(c.year, c.month, c.day), c.expected)
            << "[" << c.text << "] " << c.year << "-" << c.month << "-" << c.day;
}

const std::string kShunbun = "\x8F\x74\x95\xAA\x82\xCC\x93\xFA"; // 春分の日
const std::string kShukujitsu = "\x8F\x6A\x93\xFA";              // 祝日

} // namespace

TEST(HolidayBuiltIn, RulesInTheirOrder)
{
    ExpectCases({
        {"", 2007, 4, 29, 1},  {"", 2007, 4, 30, 1},  {"", 2007, 5, 1, 0}, // Sunday, its Monday
        {"", 2008, 4, 30, 0},  {"", 2007, 12, 24, 1}, {"", 2008, 12, 24, 0},
        {"", 100, 1, 1, 1},    {"", 9999, 11, 23, 1},                       // fixed in every year
        {"", 2008, 1, 14, 1},  {"", 2008, 1, 15, 0},  {"", 2008, 1, 7, 0},  // second Monday
        {"", 1999, 1, 15, 1},  {"", 1995, 1, 16, 1},  {"", 1996, 1, 16, 0}, // before 2000
        {"", 1999, 10, 11, 1}, {"", 2000, 10, 9, 1},  {"", 2000, 10, 10, 0},
        {"", 2008, 7, 21, 1},  {"", 2008, 7, 20, 0},  {"", 2002, 7, 20, 1}, // third Monday from 2003
        {"", 1997, 7, 21, 1},  {"", 2002, 9, 16, 1},  {"", 2003, 9, 15, 1},
        {"", 2004, 9, 15, 0},  {"", 2007, 3, 21, 0},  {"", 2007, 9, 23, 0}, // no equinox days
    });
}

TEST(HolidayBuiltIn, OddArgumentsNeitherCrashNorMakeMondays)
{
    const CHolidayTables t = Loaded("");
    const int32_t values[] = {INT32_MIN, -1, 0, 1, 13, 32, 10000, INT32_MAX};
    for (int32_t y : values)
        for (int32_t m : values)
            for (int32_t d : values)
                EXPECT_GE(t.GetHolidayStatus(y, m, d), 0);
    EXPECT_EQ(t.GetHolidayStatus(INT32_MIN, 1, 16), 0); // no real date, so no Monday
}

TEST(HolidayFileLines, StatusOfListedDays)
{
    const std::string comment = "20070321 " + kShunbun;
    const std::string shortComment = "0321" + kShukujitsu;
    ExpectCases({
        {"-20070503", 2007, 5, 3, 2},
        {"-20070503", 2008, 5, 3, 1},
        {"-0101", 1990, 1, 1, 2},
        {"-0101", 2050, 1, 1, 2},
        {"20070504\n-20070504", 2007, 5, 4, 2},
        {"-20070407", 2007, 4, 7, 2}, // a Saturday
        {"0321\n-h", 2008, 1, 1, 0},
        {"0321\n-h", 2008, 1, 14, 0},
        {"-h\n0321", 2008, 3, 21, 1},
        {"-h\n-20070101", 2007, 1, 1, 2},
        {comment.c_str(), 2007, 3, 21, 1},
        {comment.c_str(), 2008, 3, 21, 0},
        {shortComment.c_str(), 2008, 3, 21, 0},
        {shortComment.c_str(), 321, 3, 21, 0}, // year 321
        {"-0505\r\n", 2010, 5, 5, 2},
        {"20070321\r", 2007, 3, 21, 1},
    });
}

TEST(HolidayFileLines, KeysFromBytesAndAtoi)
{
    const CHolidayTables t = Loaded("0321" + kShukujitsu +
                                    "\n1103x\n1104xy\n2007 321\n2007-3x9\nabcd0321\n"
                                    " 0 5\n+1+2\n-  0505\n0402\0garbage\n\n0321\n"s);
    EXPECT_EQ(t.HolidayFullDates(), (Keys{3210000, 11040000, 20070321, 20070000u - 300u, 321}));
    EXPECT_EQ(t.HolidayMonthDays(), (Keys{1103, 5, 102, 402, 0, 321}));
    EXPECT_EQ(t.WorkingFullDates(), (Keys{50500})); // "  05", "05" and no day
}

TEST(HolidayFileLines, FlagsIgnoreTheRestAndReloadClears)
{
    CHolidayTables t = Loaded("-w20070101\n-hello 0505\n-W\n");
    EXPECT_TRUE(t.PlainWeekends());
    EXPECT_TRUE(t.BuiltInHolidaysOff());
    EXPECT_TRUE(t.WorkingFullDates().empty());
    EXPECT_EQ(t.WorkingMonthDays(), (Keys{0})); // "-W" is a working line of nothing
    t.LoadHolidayText("");
    EXPECT_FALSE(t.PlainWeekends() || t.BuiltInHolidaysOff());
    EXPECT_TRUE(t.WorkingMonthDays().empty());
    EXPECT_EQ(t.FixedHolidays().size(), 9u);
    EXPECT_EQ(t.SubstituteDays().size(), 7u);
}

TEST(HolidayFileLines, RandomBytesGiveOneEntryPerLine)
{
    static const char kAlphabet[] = "0123456789-+ \r\nwh\x8F\x74";
    std::mt19937 random(20070321);
    for (int round = 0; round < 200; ++round) {
        std::string text(random() % 400, '\0');
        for (char& c : text)
            c = kAlphabet[random() % (sizeof kAlphabet - 1)];
        size_t expected = 0;
        for (size_t start = 0; start < text.size();) {
            const size_t end = std::min(text.find('\n', start), text.size());
            const bool flag =
                end - start >= 2 && text[start] == '-' && (text[start + 1] == 'w' || text[start + 1] == 'h');
            expected += !flag;
            start = end + 1;
        }
        const CHolidayTables t = Loaded(text);
        ASSERT_EQ(t.WorkingFullDates().size() + t.WorkingMonthDays().size() + t.HolidayFullDates().size() +
                      t.HolidayMonthDays().size(),
                  expected)
            << round;
    }
}

TEST(HolidayFile, MissingUnreadableAndHugeFiles)
{
    test::TempDir dir;
    CHolidayTables t;
    test::WriteFileBytes(dir.File("a.txt"), "-w\n-0101\n");
    ASSERT_TRUE(t.LoadHolidayFile(dir.File("a.txt")));
    EXPECT_TRUE(t.PlainWeekends());
    EXPECT_FALSE(t.LoadHolidayFile(dir.File("missing.txt")));
    EXPECT_EQ(t.Path(), dir.File("missing.txt"));
    EXPECT_FALSE(t.PlainWeekends());
    EXPECT_EQ(t.GetHolidayStatus(2007, 1, 1), 1);
    EXPECT_FALSE(t.LoadHolidayFile(dir.Path().string()));

    // A sparse gigabyte: only the first bytes are read.
    const std::string huge = dir.File("huge.txt");
    test::WriteFileBytes(huge, "0321\n" + std::string(CHolidayTables::kMaxFileBytes, 'x') + "\n0401\n");
    std::filesystem::resize_file(huge, uint64_t{1} << 30);
    ASSERT_TRUE(t.LoadHolidayFile(huge));
    EXPECT_EQ(t.HolidayMonthDays(), (Keys{321}));
    EXPECT_EQ(t.HolidayFullDates().size(), 1u); // the cut line of x's
}

TEST(HolidayFile, UsersOwnFileIsReadByDefaultAndServesTheCallback)
{
    const std::string folder = platform::JoinPath(platform::ConfigHome(), "Tavric");
    const std::string own = platform::JoinPath(folder, "Holiday.txt");
    ASSERT_TRUE(platform::MakeDirectories(folder));
    test::WriteFileBytes(own, "-20070430\n20070321\n");
    CHolidayTables& tables = ProcessHolidayTables();
    EXPECT_EQ(&tables, &ProcessHolidayTables());
    EXPECT_TRUE(tables.LoadHolidayFile());
    EXPECT_EQ(tables.Path(), own);
    EXPECT_EQ(GetHolidayStatus(2007, 4, 30), 2);
    EXPECT_EQ(GetHolidayStatus(2007, 3, 21), 1);
    EXPECT_EQ(GetHolidayStatus(2007, 5, 1), 0);
    tables.LoadHolidayText("");
    std::filesystem::remove(own);
}
