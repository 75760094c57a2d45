#include "JapaneseHolidays.h"

#include "support/DayKey.h"
#include "support/OleDate.h"

#include <algorithm>
#include <map>

namespace mirovan::holidaycalc {
namespace {

// Day keys compare in date order.
constexpr uint32_t kLawStart = MakeDayKey(1948, 7, 20);
constexpr uint32_t kSubstituteStart = MakeDayKey(1973, 4, 12);
constexpr uint32_t kCitizensStart = MakeDayKey(1985, 12, 27);
constexpr int kAmendment2007 = 2007;

// The n-th Monday of a month.
int NthMonday(int year, int month, int n)
{
    const int first = Weekday(year, month, 1);
    return 1 + (8 - first) % 7 + 7 * (n - 1);
}

// int(base + 0.242194 (y - 1980) - int((y - offset) / 4)) in millionths,
// so that no rounding of binary fractions can move a day.
int Equinox(int year, long long base1900, long long base1980)
{
    if (year < 1900 || year > 2099)
        return 0;
    const bool early = year < 1980;
    const long long leap = (year - (early ? 1983 : 1980)) / 4; // truncates, as the formula is used
    const long long value = (early ? base1900 : base1980) + 242194LL * (year - 1980) - leap * 1000000LL;
    return static_cast<int>(value / 1000000LL);
}

struct OneOff {
    uint32_t ymd;
    const char* name;
};

// Days of their own laws. 2019-05-01 and 10-22 count as national holidays,
// which makes 30 April and 2 May citizens' holidays.
constexpr OneOff kOneOffs[] = {
    {MakeDayKey(1959, 4, 10), "皇太子明仁親王の結婚の儀"},
    {MakeDayKey(1989, 2, 24), "昭和天皇の大喪の礼"},
    {MakeDayKey(1990, 11, 12), "即位礼正殿の儀"},
    {MakeDayKey(1993, 6, 9), "皇太子徳仁親王の結婚の儀"},
    {MakeDayKey(2019, 5, 1), "天皇の即位の日"},
    {MakeDayKey(2019, 10, 22), "即位礼正殿の儀の行われる日"},
};

// The national holidays proper of a year, by yyyymmdd.
std::map<uint32_t, std::string> NationalHolidays(int y)
{
    std::map<uint32_t, std::string> days;
    auto add = [&](int m, int d, const char* name) {
        if (MakeDayKey(y, m, d) >= kLawStart)
            days.emplace(MakeDayKey(y, m, d), name);
    };

    add(1, 1, "元日");
    add(1, y < 2000 ? 15 : NthMonday(y, 1, 2), "成人の日");
    if (y >= 1967)
        add(2, 11, "建国記念の日");
    if (y >= 2020)
        add(2, 23, "天皇誕生日");
    add(3, VernalEquinoxDay(y), "春分の日");
    add(4, 29, y < 1989 ? "天皇誕生日" : y < 2007 ? "みどりの日" : "昭和の日");
    add(5, 3, "憲法記念日");
    if (y >= 2007)
        add(5, 4, "みどりの日");
    add(5, 5, "こどもの日");

    // 2020 and 2021 moved three days around the Olympic Games.
    if (y == 2020) {
        add(7, 23, "海の日");
        add(7, 24, "スポーツの日");
        add(8, 10, "山の日");
    } else if (y == 2021) {
        add(7, 22, "海の日");
        add(7, 23, "スポーツの日");
        add(8, 8, "山の日");
    } else {
        if (y >= 1996)
            add(7, y < 2003 ? 20 : NthMonday(y, 7, 3), "海の日");
        if (y >= 2016)
            add(8, 11, "山の日");
        if (y >= 1966)
            add(10, y < 2000 ? 10 : NthMonday(y, 10, 2), y < 2020 ? "体育の日" : "スポーツの日");
    }
    if (y >= 1966)
        add(9, y < 2003 ? 15 : NthMonday(y, 9, 3), "敬老の日");
    add(9, AutumnalEquinoxDay(y), "秋分の日");
    add(11, 3, "文化の日");
    add(11, 23, "勤労感謝の日");
    if (y >= 1989 && y <= 2018)
        add(12, 23, "天皇誕生日");

    for (const OneOff& o : kOneOffs)
        if (YearOfDayKey(o.ymd) == y)
            days.emplace(o.ymd, o.name);
    return days;
}

} // namespace

int VernalEquinoxDay(int year) { return Equinox(year, 20835700, 20843100); }
int AutumnalEquinoxDay(int year) { return Equinox(year, 23258800, 23248800); }

std::vector<Holiday> HolidaysOfYear(int year)
{
    std::vector<Holiday> out;
    if (year < kFirstYear || year > kLastYear)
        return out;
    const std::map<uint32_t, std::string> national = NationalHolidays(year);
    auto isNational = [&](uint32_t ymd) { return national.count(ymd) != 0; };

    std::map<uint32_t, Holiday> all;
    for (const auto& [ymd, name] : national)
        all[ymd] = Holiday{year, MonthOfDayKey(ymd), DayOfDayKey(ymd), HolidayKind::National, name};

    // A national holiday on a Sunday gives the next day; from 2007 the
    // next day that is no national holiday itself.
    for (const auto& [ymd, name] : national) {
        const int m = MonthOfDayKey(ymd);
        const int d = DayOfDayKey(ymd);
        if (Weekday(year, m, d) != 0)
            continue;
        int sm = m;
        int sd = d;
        do {
            if (++sd > DaysInMonth(year, sm)) {
                sd = 1;
                ++sm;
            }
        } while (year >= kAmendment2007 && isNational(MakeDayKey(year, sm, sd)));
        if (sm <= 12 && MakeDayKey(year, sm, sd) >= kSubstituteStart && !isNational(MakeDayKey(year, sm, sd)))
            all.emplace(MakeDayKey(year, sm, sd), Holiday{year, sm, sd, HolidayKind::Substitute, "振替休日"});
    }

    // A day between two national holidays; before 2007 not a Sunday and
    // not a substitute holiday. Neighbours may lie in other months.
    std::vector<uint32_t> dates;
    for (int m = 1; m <= 12; ++m)
        for (int d = 1; d <= DaysInMonth(year, m); ++d)
            dates.push_back(MakeDayKey(year, m, d));
    for (size_t i = 1; i + 1 < dates.size(); ++i) {
        const uint32_t ymd = dates[i];
        if (ymd < kCitizensStart || isNational(ymd) || !isNational(dates[i - 1]) || !isNational(dates[i + 1]))
            continue;
        const int m = MonthOfDayKey(ymd);
        const int d = DayOfDayKey(ymd);
        if (year < kAmendment2007 && (Weekday(year, m, d) == 0 || all.count(ymd)))
            continue;
        all.emplace(ymd, Holiday{year, m, d, HolidayKind::Citizens, "国民の休日"});
    }

    out.reserve(all.size());
    for (auto& entry : all)
        out.push_back(std::move(entry.second));
    return out;
}

std::optional<Holiday> HolidayOn(int year, int month, int day)
{
    for (Holiday& h : HolidaysOfYear(year))
        if (h.month == month && h.day == day)
            return std::move(h);
    return std::nullopt;
}

} // namespace mirovan::holidaycalc
