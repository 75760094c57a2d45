#pragma once
// How a day is coloured wherever days are shown (the month view, the
// group week, printed and published pages): by its weekday, unless the
// holiday function calls it a holiday or a working day.
#include <cstdint>

namespace mirovan {

// 0x00BBGGRR, as the platform's colour values are laid out.
constexpr uint32_t kHolidayDayColour = 0x00C0C0FF; // Sundays and holidays
constexpr uint32_t kSaturdayDayColour = 0x00FFC0C0;

enum class DayKind { Ordinary, Holiday, Saturday };

// weekday 0 = Sunday; holidayStatus as the holiday function answers
// (1 holiday, 2 working day, 0 neither); with plain weekends only the
// holiday function colours a day.
constexpr DayKind KindOfDay(int weekday, int32_t holidayStatus, bool plainWeekends)
{
    if (holidayStatus == 1)
        return DayKind::Holiday;
    if (holidayStatus == 2 || plainWeekends)
        return DayKind::Ordinary;
    return weekday == 0 ? DayKind::Holiday : weekday == 6 ? DayKind::Saturday : DayKind::Ordinary;
}

} // namespace mirovan
