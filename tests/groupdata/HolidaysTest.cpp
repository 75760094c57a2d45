#include "program/groupdata/Holidays.h"

#include "common/TempDir.h"
#include "support/platform/Platform.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <random>

using namespace mirovan;
using namespace std::string_literals;
using test::TempDir;
using test::WriteFileBytes;

namespace {

constexpr int kNone = CHolidayTables::kOrdinary;
constexpr int kHoliday = CHolidayTables::kHoliday;
constexpr int kWorking = CHolidayTables::kWorkingDay;

const std::string kShunbun = "\x8F\x74\x95\xAA\x82\xCC\x93\xFA"; // 春分の日
const std::string kShukujitsu = "\x8F\x6A\x93\xFA";             // 祝日

CHolidayTables Loaded(std::string_view text)
{
    CHolidayTables t;
    t.LoadHolidayText(text);
    return t;
}

using Keys = std::vector<uint32_t>;

} // namespace

TEST(HolidayBuiltIn, TablesHoldTheFixedAndSubstituteDaysInOrder)
{
    const CHolidayTables t = Loaded("");
    EXPECT_EQ(t.FixedHolidays(), (Keys{101, 211, 429, 503, 504, 505, 1103, 1123, 1223}));
    EXPECT_EQ(t.SubstituteDays(), (Keys{102, 212, 430, 506, 1104, 1124, 1224}));
    EXPECT_TRUE(t.WorkingFullDates().empty());
    EXPECT_TRUE(t.HolidayMonthDays().empty());
    EXPECT_FALSE(t.PlainWeekends());
    EXPECT_FALSE(t.BuiltInHolidaysOff());
}

TEST(HolidayBuiltIn, SubstituteDayOnlyOnMonday)
{
    const CHolidayTables t = Loaded("");
    EXPECT_EQ(t.GetHolidayStatus(2007, 4, 29), kHoliday); // Sunday
    EXPECT_EQ(t.GetHolidayStatus(2007, 4, 30), kHoliday); // Monday after it
    EXPECT_EQ(t.GetHolidayStatus(2007, 5, 1), kNone);
    EXPECT_EQ(t.GetHolidayStatus(2008, 4, 30), kNone);    // Wednesday
    EXPECT_EQ(t.GetHolidayStatus(2007, 12, 24), kHoliday); // Monday
    EXPECT_EQ(t.GetHolidayStatus(2008, 12, 24), kNone);
    // Fixed days hold in every year, whatever the weekday.
    EXPECT_EQ(t.GetHolidayStatus(100, 1, 1), kHoliday);
    EXPECT_EQ(t.GetHolidayStatus(9999, 11, 23), kHoliday);
}

TEST(HolidayBuiltIn, JanuaryAndOctoberMoveToMondaysFrom2000)
{
    const CHolidayTables t = Loaded("");
    EXPECT_EQ(t.GetHolidayStatus(2008, 1, 14), kHoliday); // second Monday
    EXPECT_EQ(t.GetHolidayStatus(2008, 1, 15), kNone);
    EXPECT_EQ(t.GetHolidayStatus(2008, 1, 7), kNone);     // first Monday
    EXPECT_EQ(t.GetHolidayStatus(1999, 1, 15), kHoliday); // a Friday
    EXPECT_EQ(t.GetHolidayStatus(1995, 1, 16), kHoliday); // Monday after a Sunday 15th
    EXPECT_EQ(t.GetHolidayStatus(1996, 1, 16), kNone);
    EXPECT_EQ(t.GetHolidayStatus(1999, 10, 10), kHoliday);
    EXPECT_EQ(t.GetHolidayStatus(1999, 10, 11), kHoliday); // Monday
    EXPECT_EQ(t.GetHolidayStatus(2000, 10, 9), kHoliday);
    EXPECT_EQ(t.GetHolidayStatus(2000, 10, 10), kNone);
    EXPECT_EQ(t.GetHolidayStatus(2001, 10, 8), kHoliday);
}

TEST(HolidayBuiltIn, JulyAndSeptemberMoveToMondaysFrom2003)
{
    const CHolidayTables t = Loaded("");
    EXPECT_EQ(t.GetHolidayStatus(2008, 7, 21), kHoliday); // third Monday
    EXPECT_EQ(t.GetHolidayStatus(2008, 7, 20), kNone);
    EXPECT_EQ(t.GetHolidayStatus(2002, 7, 20), kHoliday);
    EXPECT_EQ(t.GetHolidayStatus(1997, 7, 21), kHoliday); // Monday after a Sunday 20th
    EXPECT_EQ(t.GetHolidayStatus(2002, 9, 15), kHoliday);
    EXPECT_EQ(t.GetHolidayStatus(2002, 9, 16), kHoliday); // Monday
    EXPECT_EQ(t.GetHolidayStatus(2003, 9, 15), kHoliday); // third Monday
    EXPECT_EQ(t.GetHolidayStatus(2004, 9, 15), kNone);
    EXPECT_EQ(t.GetHolidayStatus(2004, 9, 20), kHoliday);
    // The rules hold no equinox days.
    EXPECT_EQ(t.GetHolidayStatus(2007, 3, 21), kNone);
    EXPECT_EQ(t.GetHolidayStatus(2007, 9, 23), kNone);
}

TEST(HolidayBuiltIn, OddArgumentsNeitherCrashNorMatchWeekdays)
{
    const CHolidayTables t = Loaded("");
    const int32_t values[] = {INT32_MIN, -1, 0, 1, 13, 32, 99, 10000, INT32_MAX};
    for (int32_t y : values)
        for (int32_t m : values)
            for (int32_t d : values)
                EXPECT_GE(t.GetHolidayStatus(y, m, d), kNone);
    EXPECT_EQ(t.GetHolidayStatus(INT32_MIN, 1, 16), kNone); // no real date, so no Monday
}

TEST(HolidayFileLines, WorkingDaysWinOverEveryHoliday)
{
    const CHolidayTables t = Loaded("-20070503\n-0101\n20070504\n-20070504\n-20070407\n");
    EXPECT_EQ(t.GetHolidayStatus(2007, 5, 3), kWorking);
    EXPECT_EQ(t.GetHolidayStatus(2008, 5, 3), kHoliday);
    EXPECT_EQ(t.GetHolidayStatus(1990, 1, 1), kWorking);
    EXPECT_EQ(t.GetHolidayStatus(2050, 1, 1), kWorking);
    EXPECT_EQ(t.GetHolidayStatus(2007, 5, 4), kWorking);  // listed both ways
    EXPECT_EQ(t.GetHolidayStatus(2007, 4, 7), kWorking);  // a Saturday
    EXPECT_EQ(t.WorkingFullDates(), (Keys{20070503, 20070504, 20070407}));
    EXPECT_EQ(t.WorkingMonthDays(), (Keys{101}));
    EXPECT_EQ(t.HolidayFullDates(), (Keys{20070504}));
}

TEST(HolidayFileLines, BuiltInOffKeepsTheFilesOwnDays)
{
    const CHolidayTables t = Loaded("0321\n-h\n20070321\n-20070101\n");
    EXPECT_TRUE(t.BuiltInHolidaysOff());
    EXPECT_FALSE(t.PlainWeekends());
    EXPECT_EQ(t.GetHolidayStatus(2008, 1, 1), kNone);
    EXPECT_EQ(t.GetHolidayStatus(2008, 1, 14), kNone);
    EXPECT_EQ(t.GetHolidayStatus(2008, 3, 21), kHoliday);
    EXPECT_EQ(t.GetHolidayStatus(2007, 3, 21), kHoliday);
    EXPECT_EQ(t.GetHolidayStatus(2007, 1, 1), kWorking);
}

TEST(HolidayFileLines, FlagLinesIgnoreTheirRest)
{
    const CHolidayTables t = Loaded("-w20070101\n-hello 0505\n-W\n");
    EXPECT_TRUE(t.PlainWeekends());
    EXPECT_TRUE(t.BuiltInHolidaysOff());
    EXPECT_TRUE(t.WorkingFullDates().empty());
    EXPECT_EQ(t.WorkingMonthDays(), (Keys{0})); // "-W" is a working line of nothing
    EXPECT_TRUE(t.HolidayFullDates().empty());
}

TEST(HolidayFileLines, BytesDecideMonthDayOrFullDate)
{
    const CHolidayTables t = Loaded("20070321 " + kShunbun + "\n0321" + kShukujitsu + "\n1103x\n1104xy\n");
    EXPECT_EQ(t.GetHolidayStatus(2007, 3, 21), kHoliday);
    EXPECT_EQ(t.GetHolidayStatus(2008, 3, 21), kNone); // the comment made it year 321
    EXPECT_EQ(t.GetHolidayStatus(321, 3, 21), kNone);
    EXPECT_EQ(t.HolidayFullDates(), (Keys{20070321, 3210000, 11040000}));
    EXPECT_EQ(t.HolidayMonthDays(), (Keys{1103}));
}

TEST(HolidayFileLines, NumbersAreReadLikeAtoi)
{
    const CHolidayTables t = Loaded("2007 321\n2007-3x9\nabcd0321\n 0 5\n+1+2\n-  0505\n");
    EXPECT_EQ(t.GetHolidayStatus(2007, 3, 21), kHoliday);
    // 2007, -3, 0; 0, 3, 21; " 0", " 5"; "+1", "+2".
    EXPECT_EQ(t.HolidayFullDates(), (Keys{20070321, 20070000u - 300u, 321}));
    EXPECT_EQ(t.HolidayMonthDays(), (Keys{5, 102}));
    // After the "-" six bytes: "  05", "05" and no day.
    EXPECT_EQ(t.WorkingFullDates(), (Keys{50500}));
}

TEST(HolidayFileLines, LineEndsAndNulBytes)
{
    const std::string text = "-0505\r\n0321\r\n0401\n0402\0garbage\n\n1231"s;
    const CHolidayTables t = Loaded(text);
    EXPECT_EQ(t.WorkingMonthDays(), (Keys{505})); // six bytes with its CR
    EXPECT_EQ(t.HolidayMonthDays(), (Keys{321, 401, 402, 0, 1231}));
    EXPECT_TRUE(t.HolidayFullDates().empty());
}

TEST(HolidayFileLines, DuplicatesStayAndReloadEmpties)
{
    CHolidayTables t;
    t.LoadHolidayText("0321\n0321\n-w\n");
    EXPECT_EQ(t.HolidayMonthDays(), (Keys{321, 321}));
    t.LoadHolidayText("");
    EXPECT_TRUE(t.HolidayMonthDays().empty());
    EXPECT_FALSE(t.PlainWeekends());
    EXPECT_EQ(t.FixedHolidays().size(), 9u);
}

TEST(HolidayFileLines, RandomBytesGiveOneEntryPerLine)
{
    static const char kAlphabet[] = "0123456789-+ \r\nwh\x8F\x74";
    std::mt19937 random(20070321);
    for (int round = 0; round < 200; ++round) {
        std::string text(random() % 400, '\0');
        for (char& c : text)
            c = kAlphabet[random() % (sizeof kAlphabet - 1)];
        size_t flags = 0;
        size_t lines = 0;
        for (size_t start = 0; start < text.size();) {
            size_t end = std::min(text.find('\n', start), text.size());
            ++lines;
            if (end - start >= 2 && text[start] == '-' && (text[start + 1] == 'w' || text[start + 1] == 'h'))
                ++flags;
            start = end + 1;
        }
        const CHolidayTables t = Loaded(text);
        const size_t entries = t.WorkingFullDates().size() + t.WorkingMonthDays().size()
            + t.HolidayFullDates().size() + t.HolidayMonthDays().size();
        ASSERT_EQ(entries + flags, lines) << round;
        for (int d = 1; d <= 31; ++d)
            EXPECT_GE(t.GetHolidayStatus(2007, 1, d), kNone);
    }
}

TEST(HolidayFile, MissingOrUnreadableFileLeavesTheBuiltInDays)
{
    TempDir dir;
    CHolidayTables t;
    WriteFileBytes(dir.File("a.txt"), "-w\n-0101\n");
    ASSERT_TRUE(t.LoadHolidayFile(dir.File("a.txt")));
    EXPECT_TRUE(t.PlainWeekends());

    EXPECT_FALSE(t.LoadHolidayFile(dir.File("missing.txt")));
    EXPECT_EQ(t.Path(), dir.File("missing.txt"));
    EXPECT_FALSE(t.PlainWeekends());
    EXPECT_TRUE(t.WorkingMonthDays().empty());
    EXPECT_EQ(t.GetHolidayStatus(2007, 1, 1), kHoliday);

    EXPECT_FALSE(t.LoadHolidayFile(dir.Path().string()));
    EXPECT_EQ(t.SubstituteDays().size(), 7u);
}

TEST(HolidayFile, HugeFileIsReadOnlyUpToTheLimit)
{
    TempDir dir;
    const std::string path = dir.File("huge.txt");
    {
        std::string head = "0321\n";
        head.append(CHolidayTables::kMaxFileBytes, 'x');
        head += "\n0401\n";
        WriteFileBytes(path, head);
        // Sparse: a gigabyte that costs nothing to make.
        std::filesystem::resize_file(path, uint64_t{1} << 30);
    }
    CHolidayTables t;
    ASSERT_TRUE(t.LoadHolidayFile(path));
    EXPECT_EQ(t.HolidayMonthDays(), (Keys{321}));
    EXPECT_EQ(t.HolidayFullDates().size(), 1u); // the cut line of x's
}

TEST(HolidayFile, UsersOwnFileIsTheDefault)
{
    const std::string folder = platform::JoinPath(platform::ConfigHome(), "Tavric");
    const std::string own = platform::JoinPath(folder, "Holiday.txt");
    ASSERT_TRUE(platform::MakeDirectories(folder));
    WriteFileBytes(own, "-w\n20070321\n");
    CHolidayTables t;
    EXPECT_TRUE(t.LoadHolidayFile());
    EXPECT_EQ(t.Path(), own);
    EXPECT_TRUE(t.PlainWeekends());
    EXPECT_EQ(t.GetHolidayStatus(2007, 3, 21), kHoliday);
    std::filesystem::remove(own);
}

TEST(HolidayFile, ProcessTablesAnswerTheViewsCallback)
{
    TempDir dir;
    WriteFileBytes(dir.File("h.txt"), "-20070430\n20070321\n");
    CHolidayTables& tables = ProcessHolidayTables();
    EXPECT_EQ(&tables, &ProcessHolidayTables());
    tables.LoadHolidayFile(dir.File("h.txt"));
    EXPECT_EQ(GetHolidayStatus(2007, 4, 30), kWorking);
    EXPECT_EQ(GetHolidayStatus(2007, 3, 21), kHoliday);
    EXPECT_EQ(GetHolidayStatus(2007, 5, 1), kNone);
    tables.LoadHolidayText("");
}
