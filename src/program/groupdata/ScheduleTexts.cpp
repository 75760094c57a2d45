#include "program/groupdata/ScheduleTexts.h"

#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"
#include "support/Codepage.h"

#include <algorithm>
#include <cstdio>

namespace mirovan {
namespace {

// Fixed texts, converted once so that the source stays readable.
const std::string& Wave()
{
    static const std::string text = codepage::FromUtf8("～").value();
    return text;
}

const std::string& TentativeMark()
{
    static const std::string text = codepage::FromUtf8(" [仮]").value();
    return text;
}

// What the view shows of anyone's entries: the owner is asked separately.
bool IsShown(const CScheduleEntry& e)
{
    if (e.m_superseded || e.m_flags == CScheduleEntry::kDeletionRecord)
        return false;
    return (e.m_flags & CScheduleEntry::kNeedsTentative) == 0 || (e.m_flags & CScheduleEntry::kTentative) != 0;
}

int SortKey(const CivilDateTime& t) { return t.hour * 100 + t.minute; }

// Entries keyed by start time, in display order: a stable sort keeps
// the file order of entries that start at the same minute.
std::vector<const CScheduleEntry*> SortedByStart(std::vector<std::pair<int, const CScheduleEntry*>> keyed)
{
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<const CScheduleEntry*> out;
    out.reserve(keyed.size());
    for (const auto& k : keyed)
        out.push_back(k.second);
    return out;
}

} // namespace

bool IsVisible(const CScheduleEntry& e, std::string_view memberCode)
{
    return e.m_ownerCode == memberCode && IsShown(e);
}

std::string SelectedMemberCode(const CGroup& group)
{
    const int index = group.SelectedIndex();
    return index >= 0 && index < group.MemberCount() ? group.MemberAt(index).m_code : std::string();
}

std::string TimeText(const DateValue& d)
{
    const auto t = d.Civil();
    // A time that is no date shows as blanks of the same width.
    if (!t)
        return std::string(6, ' ');
    char buffer[16];
    const int n = std::snprintf(buffer, sizeof buffer, "%d:%02d ", t->hour, t->minute);
    std::string s(buffer, static_cast<size_t>(n));
    return s.size() == 5 ? " " + s : s;
}

std::string RangeText(const CScheduleEntry& e) { return TimeText(e.m_start) + Wave() + TimeText(e.m_end); }

std::string DayTitle(int year, int month, int day)
{
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "%d年%d月%d日のスケジュール", year, month, day);
    return codepage::FromUtf8(buffer).value();
}

namespace {

using KeyedDays = std::array<std::vector<std::pair<int, const CScheduleEntry*>>, 31>;

void AddKeyed(KeyedDays& byDay, const CScheduleEntry& e)
{
    if (const auto start = e.m_start.Civil())
        byDay[static_cast<size_t>(start->day - 1)].emplace_back(SortKey(*start), &e);
}

DayEntries Sorted(KeyedDays& byDay)
{
    DayEntries entries;
    for (size_t day = 0; day < byDay.size(); ++day)
        entries[day] = SortedByStart(std::move(byDay[day]));
    return entries;
}

} // namespace

DayEntries VisibleEntriesByDay(const CScheduleMonth& month, std::string_view memberCode)
{
    KeyedDays byDay;
    for (int i = 0; i < month.EntryCount(); ++i)
        if (const CScheduleEntry& e = month.EntryAt(i); IsVisible(e, memberCode))
            AddKeyed(byDay, e);
    return Sorted(byDay);
}

std::map<std::string, DayEntries, std::less<>> VisibleEntriesByMember(const CScheduleMonth& month)
{
    std::map<std::string, KeyedDays, std::less<>> keyed;
    for (int i = 0; i < month.EntryCount(); ++i)
        if (const CScheduleEntry& e = month.EntryAt(i); IsShown(e))
            AddKeyed(keyed[e.m_ownerCode], e);
    std::map<std::string, DayEntries, std::less<>> out;
    for (auto& [code, days] : keyed)
        out.emplace(code, Sorted(days));
    return out;
}

MonthTexts BuildMonthTexts(const CScheduleMonth& month, std::string_view memberCode, bool showEndTime)
{
    return TextsOfDays(VisibleEntriesByDay(month, memberCode), showEndTime);
}

std::string EntryLine(const CScheduleEntry& e, bool showEndTime)
{
    std::string line = TimeText(e.m_start);
    if (showEndTime)
        line += Wave() + TimeText(e.m_end);
    line += (e.m_flags & CScheduleEntry::kTentative) ? TentativeMark() : std::string(" ");
    line += e.m_content;
    return line;
}

MonthTexts TextsOfDays(const DayEntries& byDay, bool showEndTime)
{
    MonthTexts texts;
    for (size_t day = 0; day < byDay.size(); ++day)
        for (const CScheduleEntry* e : byDay[day])
            texts[day].push_back(EntryLine(*e, showEndTime));
    return texts;
}

DayList BuildDayList(const CScheduleMonth& month, std::string_view memberCode, const DateValue& selected)
{
    DayList list;
    const auto date = selected.Civil();
    if (!date)
        return list;
    list.title = DayTitle(date->year, date->month, date->day);
    std::vector<std::pair<int, const CScheduleEntry*>> keyed;
    for (int i = 0; i < month.EntryCount(); ++i) {
        const CScheduleEntry& e = month.EntryAt(i);
        if (!IsVisible(e, memberCode))
            continue;
        const auto start = e.m_start.Civil();
        // The whole date: a cell of a neighbouring month has the same day
        // number as one of the loaded month.
        if (start && start->year == date->year && start->month == date->month && start->day == date->day)
            keyed.emplace_back(SortKey(*start), &e);
    }
    for (const CScheduleEntry* e : SortedByStart(std::move(keyed))) {
        list.times.push_back(RangeText(*e));
        list.contents.push_back(e->m_content);
        list.remarks.push_back(e->m_remarks);
        list.entries.push_back(e);
    }
    return list;
}

} // namespace mirovan
