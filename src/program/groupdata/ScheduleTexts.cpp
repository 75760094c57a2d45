#include "program/groupdata/ScheduleTexts.h"

#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"
#include "support/Codepage.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

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
    const uint32_t flags = e.Flags();
    if (e.Superseded() || flags == CScheduleEntry::kDeletionRecord)
        return false;
    return (flags & CScheduleEntry::kNeedsTentative) == 0 || (flags & CScheduleEntry::kTentative) != 0;
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
    return e.OwnerCode() == memberCode && IsShown(e);
}

std::string SelectedMemberCode(const CGroup& group)
{
    const int index = group.SelectedIndex();
    return index >= 0 && index < group.MemberCount() ? std::string(group.MemberAt(index).Code()) : std::string();
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

std::string RangeText(const CScheduleEntry& e) { return TimeText(e.Start()) + Wave() + TimeText(e.End()); }

std::string DayTitle(int year, int month, int day)
{
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "%d年%d月%d日のスケジュール", year, month, day);
    return codepage::FromUtf8(buffer).value();
}

DayEntries VisibleEntriesByDay(const CScheduleMonth& month, std::string_view memberCode)
{
    return std::move(VisibleEntriesByDay(month, std::vector<std::string>{std::string(memberCode)}).front());
}

std::vector<DayEntries> VisibleEntriesByDay(const CScheduleMonth& month, const std::vector<std::string>& memberCodes)
{
    // One pass over the entries whatever the number of members: the
    // group week and the publisher ask for many at once.
    std::unordered_map<std::string_view, size_t> slot;
    for (size_t i = 0; i < memberCodes.size(); ++i)
        slot.emplace(memberCodes[i], i);
    std::vector<std::array<std::vector<std::pair<int, const CScheduleEntry*>>, 31>> byDay(memberCodes.size());
    for (int i = 0; i < month.EntryCount(); ++i) {
        const CScheduleEntry& e = month.EntryAt(i);
        const auto it = slot.find(e.OwnerCode());
        if (it == slot.end() || !IsShown(e))
            continue;
        const auto start = e.Start().Civil();
        if (!start)
            continue;
        byDay[it->second][static_cast<size_t>(start->day - 1)].emplace_back(SortKey(*start), &e);
    }
    std::vector<DayEntries> entries(memberCodes.size());
    for (size_t i = 0; i < memberCodes.size(); ++i) {
        // A code listed twice gets the entries of its first listing.
        const size_t first = slot.at(memberCodes[i]);
        if (first != i) {
            entries[i] = entries[first];
            continue;
        }
        for (size_t day = 0; day < 31; ++day)
            entries[i][day] = SortedByStart(std::move(byDay[i][day]));
    }
    return entries;
}

std::map<std::string, DayEntries, std::less<>> VisibleEntriesByMember(const CScheduleMonth& month)
{
    // Everyone who owns an entry the view would show, in file order.
    std::vector<std::string> codes;
    std::unordered_set<std::string_view> seen;
    for (int i = 0; i < month.EntryCount(); ++i)
        if (const CScheduleEntry& e = month.EntryAt(i); IsShown(e) && seen.insert(e.OwnerCode()).second)
            codes.emplace_back(e.OwnerCode());
    std::vector<DayEntries> days = VisibleEntriesByDay(month, codes);
    std::map<std::string, DayEntries, std::less<>> out;
    for (size_t i = 0; i < codes.size(); ++i)
        out.emplace(std::move(codes[i]), std::move(days[i]));
    return out;
}

MonthTexts BuildMonthTexts(const CScheduleMonth& month, std::string_view memberCode, bool showEndTime)
{
    return TextsOfDays(VisibleEntriesByDay(month, memberCode), showEndTime);
}

std::string EntryLine(const CScheduleEntry& e, bool showEndTime)
{
    std::string line = TimeText(e.Start());
    if (showEndTime)
        line += Wave() + TimeText(e.End());
    line += (e.Flags() & CScheduleEntry::kTentative) ? TentativeMark() : std::string(" ");
    line += e.Content();
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
        const auto start = e.Start().Civil();
        // The whole date: a cell of a neighbouring month has the same day
        // number as one of the loaded month.
        if (start && start->year == date->year && start->month == date->month && start->day == date->day)
            keyed.emplace_back(SortKey(*start), &e);
    }
    for (const CScheduleEntry* e : SortedByStart(std::move(keyed))) {
        list.times.push_back(RangeText(*e));
        list.contents.emplace_back(e->Content());
        list.remarks.emplace_back(e->Remarks());
        list.entries.push_back(e);
    }
    return list;
}

} // namespace mirovan
