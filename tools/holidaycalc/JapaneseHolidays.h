#pragma once
// The national holidays of Japan as the holiday law has defined them
// since it took effect on 20 July 1948: the fixed and Monday holidays
// with the years each held, the equinox days by the usual approximation,
// substitute holidays, citizens' holidays and the one-off days.
#include <optional>
#include <string>
#include <vector>

namespace mirovan::holidaycalc {

constexpr int kFirstYear = 1948;
constexpr int kLastYear = 2099; // the equinox approximation ends here

enum class HolidayKind {
    National,   // a holiday of the law, or a day treated as one
    Substitute, // 振替休日
    Citizens,   // 国民の休日, between two national holidays
};

struct Holiday {
    int year = 0;
    int month = 0;
    int day = 0;
    HolidayKind kind = HolidayKind::National;
    std::string name; // UTF-8
};

// The year's holidays in date order; none outside kFirstYear..kLastYear.
std::vector<Holiday> HolidaysOfYear(int year);

// The holiday of a date, if it is one.
std::optional<Holiday> HolidayOn(int year, int month, int day);

// Day of March / September; 0 outside 1900..2099.
int VernalEquinoxDay(int year);
int AutumnalEquinoxDay(int year);

} // namespace mirovan::holidaycalc
