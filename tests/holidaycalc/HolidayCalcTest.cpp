#include "HolidayFile.h"
#include "JapaneseHolidays.h"

#include "common/TempDir.h"
#include "program/groupdata/Holidays.h"
#include "support/Codepage.h"
#include "support/OleDate.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <set>

using namespace mirovan;
using namespace mirovan::holidaycalc;

namespace {

int Key(int y, int m, int d) { return y * 10000 + m * 100 + d; }

std::string SourcePath(const std::string& relative) { return std::string(MIROVAN_SOURCE_DIR "/") + relative; }
std::string BinPath(const std::string& name) { return std::string(MIROVAN_BIN_DIR "/") + name; }

// date -> name of a reference list, for the years it covers.
std::map<int, std::string> ReadReference(const std::string& name)
{
    std::ifstream in(SourcePath("tests/data/holidays/" + name));
    std::map<int, std::string> out;
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        if (line.size() < 12 || line[10] != ',')
            continue;
        const int key = Key(std::stoi(line.substr(0, 4)), std::stoi(line.substr(5, 2)), std::stoi(line.substr(8, 2)));
        out[key] = line.substr(11);
    }
    return out;
}

std::map<int, Holiday> Calculated(int first, int last)
{
    std::map<int, Holiday> out;
    for (int y = first; y <= last; ++y)
        for (Holiday& h : HolidaysOfYear(y))
            out.emplace(Key(h.year, h.month, h.day), std::move(h));
    return out;
}

// The published list calls substitute and citizens' holidays just 休日
// and shortens some names of the one-off days.
bool SameHoliday(const std::string& reference, const Holiday& h)
{
    if (reference == h.name)
        return true;
    if (h.kind != HolidayKind::National)
        return reference == "休日" || reference.ends_with(" 振替休日");
    return reference == "休日（祝日扱い）" || h.name.find(reference) != std::string::npos
        || reference.starts_with(h.name);
}

void ExpectAgreement(const std::map<int, std::string>& reference, int first, int last)
{
    ASSERT_FALSE(reference.empty());
    const std::map<int, Holiday> calculated = Calculated(first, last);
    for (const auto& [key, name] : reference) {
        const auto it = calculated.find(key);
        if (it == calculated.end())
            ADD_FAILURE() << "missing " << key << " " << name;
        else
            EXPECT_TRUE(SameHoliday(name, it->second)) << key << ": " << name << " vs " << it->second.name;
    }
    for (const auto& [key, h] : calculated)
        EXPECT_TRUE(reference.count(key)) << "extra " << key << " " << h.name;
}

CHolidayTables Tables(std::string_view bytes)
{
    CHolidayTables t;
    t.LoadHolidayText(bytes);
    return t;
}

std::vector<std::string> Lines(const std::string& bytes)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find('\n', start);
        out.push_back(bytes.substr(start, end - start));
        start = end == std::string::npos ? bytes.size() : end + 1;
    }
    return out;
}

bool IsDatedLine(const std::string& line)
{
    const size_t at = !line.empty() && line[0] == '-' ? 1 : 0;
    if (line.size() < at + 9 || line[at + 8] != ' ')
        return false;
    for (size_t i = at; i < at + 8; ++i)
        if (line[i] < '0' || line[i] > '9')
            return false;
    return true;
}

} // namespace

// --- the calculator against the reference lists ---

TEST(HolidayCalcReference, AgreesWithThePublishedList)
{
    ExpectAgreement(ReadReference("jp_holidays.csv"), 1955, 2027);
}

TEST(HolidayCalcReference, AgreesWithThePredictedList)
{
    ExpectAgreement(ReadReference("jp_holidays_predicted_2028_2050.csv"), 2028, 2050);
}

// --- the law where no list reaches ---

TEST(HolidayCalcLaw, BeginsWhenTheLawTookEffect)
{
    EXPECT_TRUE(HolidaysOfYear(1947).empty());
    EXPECT_TRUE(HolidaysOfYear(2100).empty());
    std::vector<int> days;
    for (const Holiday& h : HolidaysOfYear(1948))
        days.push_back(h.month * 100 + h.day);
    EXPECT_EQ(days, (std::vector<int>{923, 1103, 1123}));
    EXPECT_EQ(HolidayOn(1949, 1, 15)->name, "成人の日");
    EXPECT_EQ(HolidayOn(1954, 4, 29)->name, "天皇誕生日");
    EXPECT_FALSE(HolidayOn(1954, 2, 11));
}

TEST(HolidayCalcLaw, EquinoxApproximationHasItsRange)
{
    EXPECT_EQ(VernalEquinoxDay(1899), 0);
    EXPECT_EQ(AutumnalEquinoxDay(2100), 0);
    for (int y = 1900; y <= 2099; ++y) {
        EXPECT_GE(VernalEquinoxDay(y), 19) << y;
        EXPECT_LE(VernalEquinoxDay(y), 22) << y;
        EXPECT_GE(AutumnalEquinoxDay(y), 21) << y;
        EXPECT_LE(AutumnalEquinoxDay(y), 24) << y;
    }
}

TEST(HolidayCalcLaw, EveryLaterYearHasItsSixteenHolidaysAndTheirSubstitutes)
{
    for (int y = 2022; y <= kLastYear; ++y) {
        const std::vector<Holiday> year = HolidaysOfYear(y);
        std::set<int> national;
        std::set<int> substitutes;
        for (const Holiday& h : year) {
            (h.kind == HolidayKind::National ? national : substitutes).insert(Key(y, h.month, h.day));
            EXPECT_TRUE(IsValidCivilDate(y, h.month, h.day));
        }
        EXPECT_EQ(national.size(), 16u) << y;
        // Each national holiday on a Sunday gives the first later day that
        // is none; citizens' holidays fall between two national ones.
        std::set<int> expected;
        for (const Holiday& h : year) {
            if (h.kind != HolidayKind::National || Weekday(y, h.month, h.day) != 0)
                continue;
            long long n = OleDayNumber(y, h.month, h.day);
            int key = 0;
            do {
                const auto next = FromOleDate(static_cast<double>(++n));
                key = Key(next->year, next->month, next->day);
            } while (national.count(key));
            expected.insert(key);
        }
        for (const Holiday& h : year) {
            if (h.kind != HolidayKind::Citizens)
                continue;
            const long long n = OleDayNumber(y, h.month, h.day);
            const auto before = FromOleDate(static_cast<double>(n - 1));
            const auto after = FromOleDate(static_cast<double>(n + 1));
            EXPECT_TRUE(national.count(Key(before->year, before->month, before->day))) << y;
            EXPECT_TRUE(national.count(Key(after->year, after->month, after->day))) << y;
            substitutes.erase(Key(y, h.month, h.day));
        }
        EXPECT_EQ(substitutes, expected) << y;
    }
}

TEST(HolidayCalcLaw, OneOffDaysAndTheMovedDaysOfTheGames)
{
    EXPECT_EQ(HolidayOn(2019, 5, 1)->name, "天皇の即位の日");
    EXPECT_EQ(HolidayOn(2019, 4, 30)->kind, HolidayKind::Citizens);
    EXPECT_EQ(HolidayOn(2019, 5, 2)->kind, HolidayKind::Citizens);
    EXPECT_FALSE(HolidayOn(2019, 12, 23));
    EXPECT_FALSE(HolidayOn(2020, 7, 20));
    EXPECT_FALSE(HolidayOn(2021, 8, 11));
    EXPECT_EQ(HolidayOn(2021, 8, 9)->kind, HolidayKind::Substitute);
    EXPECT_EQ(HolidayOn(2022, 10, 10)->name, "スポーツの日");
}

// --- the generated file ---

class GeneratedHolidayFile : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_bytes = new std::string(HolidayFileBytes()); }
    static void TearDownTestSuite() { delete s_bytes; }
    static const std::string& Bytes() { return *s_bytes; }
    static std::string* s_bytes;
};
std::string* GeneratedHolidayFile::s_bytes = nullptr;

TEST_F(GeneratedHolidayFile, IsTheCopyKeptWithTheSources)
{
    const std::string committed = test::ReadFileBytes(SourcePath("resources/Holiday.txt"));
    ASSERT_FALSE(committed.empty());
    EXPECT_TRUE(committed == Bytes()) << "run the holiday_file_update target";

    // What the build puts beside the programs and installs.
    EXPECT_TRUE(test::ReadFileBytes(BinPath("Holiday.txt")) == Bytes());
}

TEST_F(GeneratedHolidayFile, IsCodePage932WithLfLineEnds)
{
    ASSERT_TRUE(codepage::ToUtf8(Bytes()).has_value());
    EXPECT_EQ(Bytes().find('\r'), std::string::npos);
    EXPECT_EQ(Bytes().back(), '\n');
    const std::vector<std::string> lines = Lines(Bytes());
    const std::string first = "20070321 " + *codepage::FromUtf8("春分の日");
    EXPECT_NE(std::find(lines.begin(), lines.end(), first), lines.end());
}

TEST_F(GeneratedHolidayFile, GivesTheCalculatedHolidaysWithTheBuiltInRules)
{
    const CHolidayTables t = Tables(Bytes());
    const std::vector<uint32_t>& working = t.WorkingFullDates();
    for (int y = kFileFirstYear; y <= kFileLastYear; ++y) {
        std::set<int> holidays;
        for (const Holiday& h : HolidaysOfYear(y))
            holidays.insert(Key(y, h.month, h.day));
        for (int m = 1; m <= 12; ++m) {
            for (int d = 1; d <= DaysInMonth(y, m); ++d) {
                const int key = Key(y, m, d);
                const int status = t.GetHolidayStatus(y, m, d);
                const bool listedWorking = std::find(working.begin(), working.end(), uint32_t(key)) != working.end();
                ASSERT_EQ(status == CHolidayTables::kHoliday, holidays.count(key) == 1) << key;
                ASSERT_EQ(status == CHolidayTables::kWorkingDay, listedWorking) << key;
            }
        }
    }
}

TEST_F(GeneratedHolidayFile, GivesTheReferenceHolidays)
{
    std::map<int, std::string> reference = ReadReference("jp_holidays.csv");
    reference.merge(ReadReference("jp_holidays_predicted_2028_2050.csv"));
    const CHolidayTables t = Tables(Bytes());
    const CHolidayTables rules = Tables("");
    for (int y = kFileFirstYear; y <= 2050; ++y) {
        for (int m = 1; m <= 12; ++m) {
            for (int d = 1; d <= DaysInMonth(y, m); ++d) {
                const int status = t.GetHolidayStatus(y, m, d);
                ASSERT_EQ(status == CHolidayTables::kHoliday, reference.count(Key(y, m, d)) == 1) << Key(y, m, d);
                if (status == CHolidayTables::kWorkingDay) {
                    ASSERT_EQ(rules.GetHolidayStatus(y, m, d), CHolidayTables::kHoliday) << Key(y, m, d);
                }
            }
        }
    }
}

TEST_F(GeneratedHolidayFile, HoldsOnlyLinesThatChangeADay)
{
    const CHolidayTables rules = Tables("");
    std::set<int> seen;
    int previous = 0;
    int dated = 0;
    for (const std::string& line : Lines(Bytes())) {
        if (!IsDatedLine(line))
            continue;
        ++dated;
        const bool working = line[0] == '-';
        const int key = std::stoi(line.substr(working ? 1 : 0, 8));
        const int y = key / 10000, m = key / 100 % 100, d = key % 100;
        ASSERT_TRUE(IsValidCivilDate(y, m, d)) << line;
        EXPECT_GT(key, previous) << "out of order or twice: " << key;
        previous = key;
        // A holiday line for a day the rules miss; a working-day line for
        // a day they take for a holiday.
        EXPECT_EQ(rules.GetHolidayStatus(y, m, d) == CHolidayTables::kHoliday, working) << line;
    }
    EXPECT_EQ(static_cast<size_t>(dated), HolidayFileEntries().size());
}

TEST_F(GeneratedHolidayFile, CommentLinesMatchNoDay)
{
    std::string comments;
    for (const std::string& line : Lines(Bytes())) {
        if (IsDatedLine(line))
            continue;
        ASSERT_FALSE(line.empty());
        EXPECT_EQ(line[0], '#') << line;
        comments += line + '\n';
    }
    ASSERT_EQ(Lines(comments).size(), HolidayFileHeader().size());
    const CHolidayTables t = Tables(comments);
    EXPECT_FALSE(t.PlainWeekends());
    EXPECT_FALSE(t.BuiltInHolidaysOff());
    EXPECT_TRUE(t.WorkingFullDates().empty());
    EXPECT_TRUE(t.WorkingMonthDays().empty());
    for (uint32_t key : t.HolidayFullDates())
        EXPECT_FALSE(key >= 1000000 && IsValidCivilDate(int(key / 10000), int(key / 100 % 100), int(key % 100))) << key;
    for (uint32_t key : t.HolidayMonthDays())
        EXPECT_FALSE(IsValidCivilDate(2000, int(key / 100), int(key % 100))) << key;
}

TEST(HolidayCalcTool, WritesTheFileAndRefusesBadUsage)
{
    const std::string tool = BinPath("mirovan-holidaycalc");
    test::TempDir dir;
    const std::string out = dir.File("Holiday.txt");
    ASSERT_EQ(std::system((tool + " file '" + out + "'").c_str()), 0);
    EXPECT_TRUE(test::ReadFileBytes(out) == HolidayFileBytes());
    EXPECT_NE(std::system((tool + " list 1947 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((tool + " file 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((tool + " file '" + dir.File("no/such/dir") + "' 2>/dev/null").c_str()), 0);
}
