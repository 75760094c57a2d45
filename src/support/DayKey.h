#pragma once
// Dates as decimal numbers: a day key is yyyymmdd, a month key yyyymm and
// a month-day key mmdd. Keys of one kind compare in date order. The
// arithmetic is unsigned, so that pieces that are no real date wrap
// rather than overflow.
#include <cstdint>

namespace mirovan {

constexpr uint32_t MakeMonthDayKey(int month, int day)
{
    return static_cast<uint32_t>(month) * 100u + static_cast<uint32_t>(day);
}
constexpr uint32_t MakeMonthKey(int year, int month)
{
    return static_cast<uint32_t>(year) * 100u + static_cast<uint32_t>(month);
}
constexpr uint32_t MakeDayKey(int year, int month, int day)
{
    return static_cast<uint32_t>(year) * 10000u + MakeMonthDayKey(month, day);
}

constexpr uint32_t MonthKeyOfDay(uint32_t dayKey) { return dayKey / 100; }
constexpr int DayOfDayKey(uint32_t dayKey) { return static_cast<int>(dayKey % 100); }
constexpr int YearOfMonthKey(uint32_t monthKey) { return static_cast<int>(monthKey / 100); }
constexpr int MonthOfMonthKey(uint32_t monthKey) { return static_cast<int>(monthKey % 100); }
constexpr int YearOfDayKey(uint32_t dayKey) { return YearOfMonthKey(MonthKeyOfDay(dayKey)); }
constexpr int MonthOfDayKey(uint32_t dayKey) { return MonthOfMonthKey(MonthKeyOfDay(dayKey)); }

// The days of the month a key names; a month number outside 1..12
// counts 31.
int DaysOfMonthKey(uint32_t monthKey);

} // namespace mirovan
