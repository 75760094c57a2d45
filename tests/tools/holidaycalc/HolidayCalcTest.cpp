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
    return reference == "休日（祝日扱い）" || h.name.find(reference) != std::string::npos ||
           reference.starts_with(h.name);
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
    return line.size() >= at + 9 && line[at + 8] == ' ' && line.find_first_not_of("0123456789", at) == at + 8;
}

// The yyyymmdd key n days away.
int Shift(int key, int n)
{
    const auto t = FromOleDate(double(OleDayNumber(key / 10000, key / 100 % 100, key % 100) + n));
    return Key(t->year, t->month, t->day);
}

} // namespace

TEST(HolidayCalcReference, AgreesWithThePublishedList)
{
    ExpectAgreement(ReadReference("jp_holidays.csv"), 1955, 2027);
}

TEST(HolidayCalcReference, AgreesWithThePredictedList)
{
    ExpectAgreement(ReadReference("jp_holidays_predicted_2028_2050.csv"), 2028, 2050);
}

TEST(HolidayCalcLaw, BeginsWhenTheLawTookEffect)
{
    EXPECT_TRUE(HolidaysOfYear(1947).empty());
    EXPECT_TRUE(HolidaysOfYear(2100).empty());
    std::vector<int> days;
    for (const Holiday& h : HolidaysOfYear(1948))
        days.push_back(h.month * 100 + h.day);
    EXPECT_EQ(days, (std::vector<int>{923, 1103, 1123}));
    EXPECT_EQ(HolidayOn(1954, 4, 29)->name, "天皇誕生日");
    EXPECT_FALSE(HolidayOn(1954, 2, 11));
}

// Beyond the lists: sixteen holidays a year, a substitute for each on a
// Sunday (the first later day that is none), citizens' holidays only
// between two national ones.
TEST(HolidayCalcLaw, LaterYearsFollowTheRules)
{
    for (int y = 2022; y <= kLastYear; ++y) {
        std::set<int> national, substitutes, expected;
        for (const Holiday& h : HolidaysOfYear(y)) {
            const int key = Key(y, h.month, h.day);
            if (h.kind == HolidayKind::National)
                national.insert(key);
            else if (h.kind == HolidayKind::Substitute)
                substitutes.insert(key);
        }
        ASSERT_EQ(national.size(), 16u) << y;
        for (int key : national) {
            if (Weekday(key / 10000, key / 100 % 100, key % 100) != 0)
                continue;
            int next = Shift(key, 1);
            while (national.count(next))
                next = Shift(next, 1);
            expected.insert(next);
        }
        EXPECT_EQ(substitutes, expected) << y;
        for (const Holiday& h : HolidaysOfYear(y)) {
            const int key = Key(y, h.month, h.day);
            if (h.kind == HolidayKind::Citizens) {
                EXPECT_TRUE(national.count(Shift(key, -1)) && national.count(Shift(key, 1))) << key;
            }
        }
    }
}

class GeneratedHolidayFile : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_bytes = new std::string(HolidayFileBytes()); }
    static void TearDownTestSuite() { delete s_bytes; }
    static const std::string& Bytes() { return *s_bytes; }
    static std::string* s_bytes;
};
std::string* GeneratedHolidayFile::s_bytes = nullptr;

TEST_F(GeneratedHolidayFile, IsTheCopyKeptWithTheSourcesAndTheBuilt)
{
    EXPECT_TRUE(test::ReadFileBytes(SourcePath("resources/Holiday.txt")) == Bytes())
        << "run the holiday_file_update target";
    EXPECT_TRUE(test::ReadFileBytes(BinPath("Holiday.txt")) == Bytes());
    ASSERT_TRUE(codepage::ToUtf8(Bytes()).has_value());
    EXPECT_EQ(Bytes().find('\r'), std::string::npos);
    const std::vector<std::string> lines = Lines(Bytes());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "20070321 " + *codepage::FromUtf8("春分の日")), lines.end());
}

// 1 exactly on the calculated (and, to 2050, the reference) holidays;
// 2 exactly on the file's working days.
TEST_F(GeneratedHolidayFile, GivesExactlyTheHolidaysWithTheBuiltInRules)
{
    std::map<int, std::string> reference = ReadReference("jp_holidays.csv");
    reference.merge(ReadReference("jp_holidays_predicted_2028_2050.csv"));
    const std::map<int, Holiday> calculated = Calculated(kFileFirstYear, kFileLastYear);
    const CHolidayTables t = Tables(Bytes());
    const std::vector<uint32_t>& working = t.WorkingFullDates();
    for (int y = kFileFirstYear; y <= kFileLastYear; ++y) {
        for (int m = 1; m <= 12; ++m) {
            for (int d = 1; d <= DaysInMonth(y, m); ++d) {
                const int key = Key(y, m, d);
                const int status = t.GetHolidayStatus(y, m, d);
                ASSERT_EQ(status == CHolidayTables::kHoliday, calculated.count(key) == 1) << key;
                if (y <= 2050) {
                    ASSERT_EQ(status == CHolidayTables::kHoliday, reference.count(key) == 1) << key;
                }
                ASSERT_EQ(status == CHolidayTables::kWorkingDay,
                          std::find(working.begin(), working.end(), uint32_t(key)) != working.end())
                    << key;
            }
        }
    }
}

// Minimal: a holiday line only for a day the rules miss, a working-day
// line only for a day they take for a holiday; in date order, once each.
TEST_F(GeneratedHolidayFile, HoldsOnlyLinesThatChangeADay)
{
    const CHolidayTables rules = Tables("");
    int previous = 0;
    size_t dated = 0;
    for (const std::string& line : Lines(Bytes())) {
        if (!IsDatedLine(line))
            continue;
        ++dated;
        const bool working = line[0] == '-';
        const int key = std::stoi(line.substr(working ? 1 : 0, 8));
        const int y = key / 10000, m = key / 100 % 100, d = key % 100;
        ASSERT_TRUE(IsValidCivilDate(y, m, d)) << line;
        EXPECT_GT(key, previous) << line;
        previous = key;
        EXPECT_EQ(rules.GetHolidayStatus(y, m, d) == CHolidayTables::kHoliday, working) << line;
    }
    EXPECT_EQ(dated, HolidayFileEntries().size());
}

TEST_F(GeneratedHolidayFile, CommentLinesMatchNoDay)
{
    std::string comments;
    for (const std::string& line : Lines(Bytes())) {
        if (!IsDatedLine(line)) {
            EXPECT_EQ(line.substr(0, 1), "#") << line;
            comments += line + '\n';
        }
    }
    ASSERT_EQ(Lines(comments).size(), HolidayFileHeader().size());
    const CHolidayTables t = Tables(comments);
    EXPECT_FALSE(t.PlainWeekends() || t.BuiltInHolidaysOff());
    EXPECT_TRUE(t.WorkingFullDates().empty() && t.WorkingMonthDays().empty());
    for (uint32_t key : t.HolidayFullDates())
        EXPECT_FALSE(key >= 1000000 && IsValidCivilDate(int(key / 10000), int(key / 100 % 100), int(key % 100))) << key;
    for (uint32_t key : t.HolidayMonthDays())
        EXPECT_FALSE(IsValidCivilDate(2000, int(key / 100), int(key % 100))) << key;
}

TEST(HolidayCalcTool, WritesTheFileAndRefusesBadUsage)
{
    const std::string tool = BinPath("mirovan-holidaycalc");
    test::TempDir dir;
    ASSERT_EQ(std::system((tool + " file '" + dir.File("h.txt") + "'").c_str()), 0);
    EXPECT_TRUE(test::ReadFileBytes(dir.File("h.txt")) == HolidayFileBytes());
    for (const char* bad : {" list 1947", " file", " frobnicate"})
        EXPECT_NE(std::system((tool + bad + " 2>/dev/null").c_str()), 0) << bad;
    EXPECT_NE(std::system((tool + " file '" + dir.File("no/dir/h.txt") + "' 2>/dev/null").c_str()), 0);
}
