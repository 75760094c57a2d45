#include "support/OleDate.h"

#include <cmath>

namespace mirovan {
namespace {

constexpr long long kUnixEpochOleDay = 25569; // 1970-01-01

// Howard Hinnant's algorithms, counted from 1970-01-01.
long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

} // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month)
{
    switch (month) {
    case 4:
    case 6:
    case 9:
    case 11: return 30;
    case 2: return IsLeapYear(year) ? 29 : 28;
    default: return 31;
    }
}

bool IsValidCivilDate(int year, int month, int day)
{
    return year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

long long OleDayNumber(int year, int month, int day)
{
    return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kUnixEpochOleDay;
}

int Weekday(int year, int month, int day)
{
    const long long z = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    // 1970-01-01 was a Thursday.
    return static_cast<int>(((z % 7) + 7 + 4) % 7);
}

std::optional<CivilDateTime> FromOleDate(double value)
{
    // The whole part counts the day, so all of 100-01-01 lies above -657435.
    if (!std::isfinite(value) || value <= kOleDateMin - 1.0 || value >= kOleDateEnd)
        return std::nullopt;
    const double whole = std::trunc(value);
    long long dayNumber = static_cast<long long>(whole);
    long long seconds = std::llround(std::fabs(value - whole) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++dayNumber;
    }
    CivilDateTime t;
    CivilFromDays(dayNumber - kUnixEpochOleDay, t.year, t.month, t.day);
    if (t.year > 9999)
        return std::nullopt;
    t.hour = static_cast<int>(seconds / 3600);
    t.minute = static_cast<int>(seconds / 60 % 60);
    t.second = static_cast<int>(seconds % 60);
    t.weekday = static_cast<int>((((dayNumber - kUnixEpochOleDay) % 7) + 7 + 4) % 7);
    return t;
}

std::optional<double> ToOleDate(int year, int month, int day, int hour, int minute, int second)
{
    if (!IsValidCivilDate(year, month, day) || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
        second > 59)
        return std::nullopt;
    const double days = static_cast<double>(OleDayNumber(year, month, day));
    const double fraction = (hour * 3600 + minute * 60 + second) / 86400.0;
    // Before 1899-12-30 the fraction still counts forward in time.
    return days >= 0 ? days + fraction : days - fraction;
}

} // namespace mirovan
