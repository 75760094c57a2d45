#pragma once
// Who is busy when: a group's members' entries as busy intervals of the
// day, the free slots a set of members shares, and the week of entries the
// group view and the command line show. The entries are those the month
// view shows (VisibleEntriesByDay), never chosen again here.
#include "program/groupdata/ScheduleTexts.h"
#include "support/DayColour.h"
#include "support/UserInterface.h"
#include "support/settings/SettingsTable.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirovan {

class CGroup;
class CHolidayTables;
class CScheduleMonth;

namespace groupweek {

constexpr int kMinutesPerDay = 24 * 60;
// An entry whose end is no time, or the very minute it starts, has no
// length of its own; it still takes the member away, for this long.
constexpr int kPointEntryMinutes = 60;

// Minutes since midnight of the start's day, end after start, at most
// kMinutesPerDay: only the times of day count, as in the month view, and
// an end earlier in the day than the start runs past midnight, so the day
// is busy to its end.
struct BusyInterval {
    int start = 0;
    int end = 0;
    bool tentative = false;
    const CScheduleEntry* entry = nullptr;
};

// Nothing when the start is no date.
std::optional<BusyInterval> BusyOf(const CScheduleEntry& entry);
// The intervals of a day's entries, in their order.
std::vector<BusyInterval> BusyIntervals(const std::vector<const CScheduleEntry*>& dayEntries);

struct WorkingHours {
    // Minutes of the day; the defaults are the stored settings' defaults.
    int start = static_cast<int>(settings::kWeekFrom.fallback);
    int end = static_cast<int>(settings::kWeekTo.fallback);
    int minLength = static_cast<int>(settings::kWeekLength.fallback); // a slot must have some length whatever this is
};

struct FreeSlot {
    int start = 0;
    int end = 0;
};

// The working hours less the union of the intervals (of any number of
// members), in slots of at least the minimum length, earliest first.
// Intervals that touch leave no slot between them.
std::vector<FreeSlot> FreeSlots(const std::vector<BusyInterval>& busy, const WorkingHours& hours);

// Minutes since midnight as "HH:MM" (24:00 for the end of the day).
std::string ClockText(int minutes);
// "H:MM" or "HH:MM", 0:00 to 24:00; nothing when not that.
std::optional<int> ParseClock(std::string_view text);

// The group's members a week shows: all but the hidden ones, in group order.
std::vector<int> WeekMembers(const CGroup& group);

struct Day {
    int year = 0;
    int month = 0;
    int day = 0;
    bool operator==(const Day&) const = default;
};
// The seven days from first; days past 9999-12-31 are left out.
std::vector<Day> SevenDays(Day first);
// The Sunday on or before the day (the month view's weeks start on Sunday).
Day WeekStart(Day day);

// What a day's column heading shows: the month view's colour and, on a
// holiday the law names, its name (UTF-8).
struct DayHeading {
    Day day;
    int weekday = 0; // 0 = Sunday
    DayKind kind = DayKind::Ordinary;
    std::string holidayName;
};
DayHeading HeadingOf(Day day, const CHolidayTables& tables);
// The view's holiday-name function (HOLIDAYNAMEPROC): the heading's name
// for the process's tables, in code page 932. Never throws.
int32_t GetHolidayName(int32_t year, int32_t month, int32_t day, char* name, int32_t size) noexcept;

// The entries of some members on seven days, read from the month files
// beside the group file (one or two months).
class CWeekSchedule {
public:
    CWeekSchedule(const CGroup& group, IUserInterface& ui);
    ~CWeekSchedule();
    CWeekSchedule(const CWeekSchedule&) = delete;
    CWeekSchedule& operator=(const CWeekSchedule&) = delete;

    // Reads the months of the seven days from first for the members of
    // the given codes. Months that cannot be read show as empty; see
    // Months() for what went wrong.
    void Load(Day first, std::vector<std::string> memberCodes);

    const std::vector<Day>& Days() const { return m_days; }
    const std::vector<std::string>& MemberCodes() const { return m_codes; }
    // The entries of codes[member] on Days()[day], in display order.
    const std::vector<const CScheduleEntry*>& Entries(size_t member, size_t day) const;
    // The months read, in date order.
    std::vector<const CScheduleMonth*> Months() const;

private:
    struct LoadedMonth;
    const CGroup& m_group;
    IUserInterface& m_ui;
    std::vector<Day> m_days;
    std::vector<std::string> m_codes;
    std::vector<std::unique_ptr<LoadedMonth>> m_months;
    // Per day: which loaded month, and its day number.
    std::vector<size_t> m_dayMonth;
};

} // namespace groupweek
} // namespace mirovan
