#pragma once
// OLE Automation dates: days since 1899-12-30 00:00 as a double, the
// fraction being the time of day. For negative values the integer part
// counts the days and the fraction, taken as positive, is still the
// time: -1.25 is 1899-12-29 06:00.
#include <optional>

namespace mirovan {

struct CivilDateTime {
    int year = 0;
    int month = 0; // 1-12
    int day = 0;   // 1-31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 0; // 0 = Sunday
};

constexpr double kOleDateMin = -657434.0; // 100-01-01
constexpr double kOleDateEnd = 2958466.0; // 10000-01-01, first invalid moment

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidCivilDate(int year, int month, int day);
// Gregorian weekday, 0 = Sunday.
int Weekday(int year, int month, int day);

// Days since 1899-12-30 of a civil date (proleptic Gregorian).
long long OleDayNumber(int year, int month, int day);

// The date and time of an OLE date, rounded to the nearest second.
// nullopt for NaN, infinity and values outside 100-01-01..9999-12-31.
std::optional<CivilDateTime> FromOleDate(double value);

// The OLE date of a civil date and time; nullopt when the date is not
// a real one in 100-01-01..9999-12-31 or the time is out of range.
std::optional<double> ToOleDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

} // namespace mirovan
