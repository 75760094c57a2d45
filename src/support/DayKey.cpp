#include "support/DayKey.h"

#include "support/OleDate.h"

namespace mirovan {

int DaysOfMonthKey(uint32_t monthKey) { return DaysInMonth(YearOfMonthKey(monthKey), MonthOfMonthKey(monthKey)); }

} // namespace mirovan
