#include "program/groupdata/GroupWeek.h"

#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"
#include "program/groupdata/Holidays.h"
#include "support/Codepage.h"
#include "support/OleDate.h"

#include "JapaneseHolidays.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace mirovan::groupweek {

std::optional<BusyInterval> BusyOf(const CScheduleEntry& e)
{
    const auto start = e.Start().Civil();
    if (!start)
        return std::nullopt;
    BusyInterval busy;
    busy.start = start->hour * 60 + start->minute;
    busy.tentative = (e.Flags() & CScheduleEntry::kTentative) != 0;
    busy.entry = &e;
    const auto end = e.End().Civil();
    const int to = end ? end->hour * 60 + end->minute : busy.start;
    if (to == busy.start)
        busy.end = std::min(busy.start + kPointEntryMinutes, kMinutesPerDay);
    else
        busy.end = to < busy.start ? kMinutesPerDay : to;
    return busy;
}

std::vector<BusyInterval> BusyIntervals(const std::vector<const CScheduleEntry*>& dayEntries)
{
    std::vector<BusyInterval> out;
    out.reserve(dayEntries.size());
    for (const CScheduleEntry* e : dayEntries)
        if (const auto busy = BusyOf(*e))
            out.push_back(*busy);
    return out;
}

std::vector<FreeSlot> FreeSlots(const std::vector<BusyInterval>& busy, const WorkingHours& hours)
{
    std::vector<std::pair<int, int>> spans;
    spans.reserve(busy.size());
    for (const BusyInterval& b : busy)
        spans.emplace_back(b.start, b.end);
    std::sort(spans.begin(), spans.end());
    const int minLength = std::max(hours.minLength, 1);
    std::vector<FreeSlot> out;
    auto add = [&](int from, int to) {
        from = std::max(from, hours.start);
        to = std::min(to, hours.end);
        if (to - from >= minLength)
            out.push_back(FreeSlot{from, to});
    };
    int freeFrom = 0;
    for (const auto& [from, to] : spans) {
        if (from > freeFrom)
            add(freeFrom, from);
        freeFrom = std::max(freeFrom, to);
    }
    add(freeFrom, kMinutesPerDay);
    return out;
}

std::string ClockText(int minutes)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d", minutes / 60, minutes % 60);
    return buffer;
}

std::optional<int> ParseClock(std::string_view text)
{
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon < 1 || colon > 2 || text.size() != colon + 3)
        return std::nullopt;
    int hour = 0, minute = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i == colon)
            continue;
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        int& field = i < colon ? hour : minute;
        field = field * 10 + (text[i] - '0');
    }
    if (minute > 59 || hour > 24 || (hour == 24 && minute != 0))
        return std::nullopt;
    return hour * 60 + minute;
}

std::vector<int> WeekMembers(const CGroup& group)
{
    std::vector<int> out;
    for (int i = 0; i < group.MemberCount(); ++i)
        if (!group.MemberAt(i).IsHidden())
            out.push_back(i);
    return out;
}

namespace {

std::optional<Day> DayOfNumber(long long number)
{
    const auto civil = FromOleDate(static_cast<double>(number));
    if (!civil)
        return std::nullopt;
    return Day{civil->year, civil->month, civil->day};
}

} // namespace

std::vector<Day> SevenDays(Day first)
{
    std::vector<Day> out;
    if (!IsValidCivilDate(first.year, first.month, first.day))
        return out;
    const long long number = OleDayNumber(first.year, first.month, first.day);
    for (int i = 0; i < 7; ++i)
        if (const auto d = DayOfNumber(number + i))
            out.push_back(*d);
    return out;
}

Day WeekStart(Day day)
{
    const long long number = OleDayNumber(day.year, day.month, day.day) - Weekday(day.year, day.month, day.day);
    // Before 100-01-01 the week starts on its first day.
    return DayOfNumber(number).value_or(day);
}

DayHeading HeadingOf(Day day, const CHolidayTables& tables)
{
    DayHeading h;
    h.day = day;
    h.weekday = Weekday(day.year, day.month, day.day);
    const int32_t status = tables.GetHolidayStatus(day.year, day.month, day.day);
    h.kind = KindOfDay(h.weekday, status, tables.PlainWeekends());
    // The tables keep no names; a holiday only the user's own file lists
    // goes without one.
    if (status == CHolidayTables::kHoliday)
        if (const auto holiday = holidaycalc::HolidayOn(day.year, day.month, day.day))
            h.holidayName = holiday->name;
    return h;
}

int32_t GetHolidayName(int32_t year, int32_t month, int32_t day, char* name, int32_t size) noexcept
{
    if (!name || size <= 0)
        return 0;
    name[0] = '\0';
    if (!IsValidCivilDate(year, month, day))
        return 0;
    try {
        const std::string utf8 = HeadingOf(Day{year, month, day}, ProcessHolidayTables()).holidayName;
        const std::optional<std::string> cp932 = codepage::FromUtf8(utf8);
        if (!cp932 || cp932->empty())
            return 0;
        // Cut on a character's first byte, never inside a double-byte one.
        size_t length = 0;
        while (length < cp932->size()) {
            const size_t step = codepage::IsLeadByte(static_cast<unsigned char>((*cp932)[length])) ? 2 : 1;
            if (length + step > static_cast<size_t>(size - 1))
                break;
            length += step;
        }
        std::memcpy(name, cp932->data(), length);
        name[length] = '\0';
        return static_cast<int32_t>(length);
    } catch (...) {
        return 0;
    }
}

struct CWeekSchedule::LoadedMonth {
    LoadedMonth(const CGroup& group, IUserInterface& ui) : month(group, ui) {}
    CScheduleMonth month;
    int year = 0;
    int number = 0;
    std::vector<DayEntries> entries; // per member
};

CWeekSchedule::CWeekSchedule(const CGroup& group, IUserInterface& ui) : m_group(group), m_ui(ui) {}
CWeekSchedule::~CWeekSchedule() = default;

void CWeekSchedule::Load(Day first, std::vector<std::string> memberCodes)
{
    m_codes = std::move(memberCodes);
    m_days = SevenDays(first);
    m_months.clear();
    m_dayMonth.clear();
    for (const Day& d : m_days) {
        if (m_months.empty() || m_months.back()->year != d.year || m_months.back()->number != d.month) {
            auto loaded = std::make_unique<LoadedMonth>(m_group, m_ui);
            loaded->year = d.year;
            loaded->number = d.month;
            loaded->month.SetMonth(DateValue{ToOleDate(d.year, d.month, 1).value(), DateValue::kValid});
            loaded->month.Load();
            loaded->month.Link();
            loaded->entries = VisibleEntriesByDay(loaded->month, m_codes);
            m_months.push_back(std::move(loaded));
        }
        m_dayMonth.push_back(m_months.size() - 1);
    }
}

const std::vector<const CScheduleEntry*>& CWeekSchedule::Entries(size_t member, size_t day) const
{
    const LoadedMonth& m = *m_months.at(m_dayMonth.at(day));
    return m.entries.at(member)[static_cast<size_t>(m_days[day].day - 1)];
}

std::vector<const CScheduleMonth*> CWeekSchedule::Months() const
{
    std::vector<const CScheduleMonth*> out;
    for (const auto& m : m_months)
        out.push_back(&m->month);
    return out;
}

} // namespace mirovan::groupweek
