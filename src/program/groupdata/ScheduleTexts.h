#pragma once
// Turns the loaded month into the texts the month view and the day list
// show: only the chosen member's entries, links applied, sorted by start.
#include "program/groupdata/CScheduleEntry.h"

#include <array>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace mirovan {

class CGroup;
class CScheduleMonth;

bool IsVisible(const CScheduleEntry& entry, std::string_view memberCode);

// The code of the member at the selected index, empty when none.
std::string SelectedMemberCode(const CGroup& group);

// "%d:%02d " padded in front to six characters; code page 932.
std::string TimeText(const DateValue& d);
// T(start) + "～" + T(end).
std::string RangeText(const CScheduleEntry& entry);
// "%d年%d月%d日のスケジュール".
std::string DayTitle(int year, int month, int day);

// The entries the month view shows for the member, per day of the month
// (element 0 is day 1), each day in display order.
using DayEntries = std::array<std::vector<const CScheduleEntry*>, 31>;
DayEntries VisibleEntriesByDay(const CScheduleMonth& month, std::string_view memberCode);
// The same for many members in one pass over the month: element i for
// memberCodes[i].
std::vector<DayEntries> VisibleEntriesByDay(const CScheduleMonth& month, const std::vector<std::string>& memberCodes);

// The same for every member at once, keyed by owner code: one pass over
// a month that many members share.
std::map<std::string, DayEntries, std::less<>> VisibleEntriesByMember(const CScheduleMonth& month);

// One list of lines per day of the month; element 0 is day 1.
using MonthTexts = std::array<std::vector<std::string>, 31>;
MonthTexts BuildMonthTexts(const CScheduleMonth& month, std::string_view memberCode, bool showEndTime);
MonthTexts TextsOfDays(const DayEntries& days, bool showEndTime);
// An entry's line in a day cell: start time, the end time when shown, the
// tentative mark and the content.
std::string EntryLine(const CScheduleEntry& entry, bool showEndTime);

struct DayList {
    std::string title;
    std::vector<std::string> times;
    std::vector<std::string> contents;
    std::vector<std::string> remarks;
    std::vector<const CScheduleEntry*> entries;
};
// The entries of the loaded month on the selected date's day of month.
// An invalid date gives an empty list without a title.
DayList BuildDayList(const CScheduleMonth& month, std::string_view memberCode, const DateValue& selected);

} // namespace mirovan
