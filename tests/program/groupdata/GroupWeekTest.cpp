#include "program/groupdata/GroupWeek.h"

#include "common/MonthFrom.h"
#include "common/RecordingUi.h"
#include "common/TempDir.h"
#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"
#include "program/groupdata/Holidays.h"
#include "support/Archive.h"
#include "support/Codepage.h"
#include "tillbrook/TillbrookWriter.h"

#include <gtest/gtest.h>

using namespace mirovan;
using namespace mirovan::groupweek;
using tillbrook::At;
using tillbrook::EntryRecord;

namespace {

EntryRecord Entry(const char* code, int day, int h, int m, int eh, int em, const char* content, uint32_t flags = 0)
{
    EntryRecord e;
    e.start = At(2007, 2, day, h, m);
    e.end = At(2007, 2, day, eh, em);
    e.content = content;
    e.ownerCode = code;
    e.flags = flags;
    return e;
}

BusyInterval Busy(int from, int to) { return BusyInterval{from, to, false, nullptr}; }
int H(int hour, int minute = 0) { return hour * 60 + minute; }

std::vector<std::pair<int, int>> Slots(const std::vector<BusyInterval>& busy, WorkingHours hours = {})
{
    std::vector<std::pair<int, int>> out;
    for (const FreeSlot& s : FreeSlots(busy, hours))
        out.emplace_back(s.start, s.end);
    return out;
}
using P = std::vector<std::pair<int, int>>;

class Week : public ::testing::Test {
protected:
    void Load(const std::vector<EntryRecord>& entries) { test::LoadMonthFrom(month, entries); }
    std::vector<BusyInterval> DayBusy(const char* code, int day)
    {
        return BusyIntervals(VisibleEntriesByDay(month, code)[static_cast<size_t>(day - 1)]);
    }
    test::RecordingUi ui;
    CGroup group{ui, nullptr, CGroup::Persistence::ReadOnly};
    CScheduleMonth month{group, ui};
};

} // namespace

TEST_F(Week, EntriesBecomeIntervalsOfTheirDay)
{
    EntryRecord noEnd = Entry("C1", 1, 14, 0, 0, 0, "no end");
    noEnd.end.status = 2;
    Load({Entry("C1", 1, 9, 0, 10, 30, "plain"), Entry("C1", 1, 22, 0, 1, 0, "night"),
          Entry("C1", 1, 12, 0, 12, 0, "point"), noEnd, Entry("C1", 1, 23, 30, 23, 30, "late point"),
          Entry("C1", 1, 11, 0, 11, 30, "maybe", 0x1000)});
    const auto busy = DayBusy("C1", 1);
    ASSERT_EQ(busy.size(), 6u);
    // In display order, by start.
    EXPECT_EQ(std::make_pair(busy[0].start, busy[0].end), std::make_pair(H(9), H(10, 30)));
    EXPECT_EQ(std::make_pair(busy[1].start, busy[1].end), std::make_pair(H(11), H(11, 30)));
    EXPECT_TRUE(busy[1].tentative);
    EXPECT_FALSE(busy[0].tentative);
    EXPECT_EQ(std::make_pair(busy[2].start, busy[2].end), std::make_pair(H(12), H(12) + kPointEntryMinutes));
    EXPECT_EQ(std::make_pair(busy[3].start, busy[3].end), std::make_pair(H(14), H(15)));
    EXPECT_EQ(std::make_pair(busy[4].start, busy[4].end), std::make_pair(H(22), kMinutesPerDay));
    EXPECT_EQ(std::make_pair(busy[5].start, busy[5].end), std::make_pair(H(23, 30), kMinutesPerDay));
    EXPECT_EQ(busy[4].entry->Content(), "night");
    // The night shift leaves the next morning free: only its own day is busy.
    EXPECT_TRUE(DayBusy("C1", 2).empty());
}

TEST(FreeSlots, ComplementOfTheUnionWithinWorkingHours)
{
    // Nothing at all: the whole working day.
    EXPECT_EQ(Slots({}), (P{{H(9), H(18)}}));
    // Overlapping and touching intervals leave no slot between them.
    EXPECT_EQ(Slots({Busy(H(10), H(11)), Busy(H(10, 30), H(12)), Busy(H(12), H(13)), Busy(H(15), H(16))}),
              (P{{H(9), H(10)}, {H(13), H(15)}, {H(16), H(18)}}));
    // One interval inside another, listed in any order.
    EXPECT_EQ(Slots({Busy(H(11), H(11, 30)), Busy(H(10), H(14))}), (P{{H(9), H(10)}, {H(14), H(18)}}));
    // Crossing the working hours at both ends.
    EXPECT_EQ(Slots({Busy(H(8), H(9, 30)), Busy(H(17, 30), kMinutesPerDay)}), (P{{H(9, 30), H(17, 30)}}));
    EXPECT_EQ(Slots({Busy(0, kMinutesPerDay)}), P{});
    // Shorter than the minimum length: left out; exactly the length: kept.
    EXPECT_EQ(Slots({Busy(H(9, 20), H(10)), Busy(H(10, 30), H(18))}), (P{{H(10), H(10, 30)}}));
    EXPECT_EQ(Slots({Busy(H(9, 20), H(10)), Busy(H(10, 30), H(18))}, WorkingHours{H(9), H(18), 31}), P{});
    // A length of 0 still needs a slot of some length.
    EXPECT_EQ(Slots({Busy(H(9), H(12)), Busy(H(12), H(18))}, WorkingHours{H(9), H(18), 0}), P{});
    EXPECT_EQ(Slots({}, WorkingHours{H(0), H(24), 30}), (P{{0, kMinutesPerDay}}));
    // Working hours that end before they start have no slot.
    EXPECT_EQ(Slots({}, WorkingHours{H(18), H(9), 30}), P{});
}

TEST_F(Week, OnlyTheEntriesTheMonthViewShowsAreBusy)
{
    EntryRecord replaced = Entry("C1", 1, 9, 0, 10, 0, "old");
    EntryRecord replacement = Entry("C1", 1, 13, 0, 14, 0, "new", 1);
    replacement.link = 0;
    EntryRecord removed = Entry("C1", 1, 15, 0, 16, 0, "removed");
    EntryRecord deletion = Entry("C1", 1, 15, 0, 16, 0, "del", 2);
    deletion.link = 2;
    Load({replaced, replacement, removed, deletion, Entry("C1", 1, 11, 0, 12, 0, "unconfirmed", 0x400),
          Entry("C2", 1, 9, 0, 10, 0, "someone else")});
    const auto busy = DayBusy("C1", 1);
    ASSERT_EQ(busy.size(), 1u);
    EXPECT_EQ(busy[0].entry->Content(), "new");
    EXPECT_EQ(Slots(busy), (P{{H(9), H(13)}, {H(14), H(18)}}));
    // A member with nothing, and the many-member form agreeing with the
    // one-member form for each.
    const auto all = VisibleEntriesByDay(month, std::vector<std::string>{"C2", "C3", "C1", "C2"});
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0], VisibleEntriesByDay(month, "C2"));
    EXPECT_EQ(all[2], VisibleEntriesByDay(month, "C1"));
    EXPECT_EQ(all[3], all[0]);
    for (const auto& day : all[1])
        EXPECT_TRUE(day.empty());
    std::vector<BusyInterval> both = DayBusy("C1", 1);
    for (const BusyInterval& b : DayBusy("C2", 1))
        both.push_back(b);
    EXPECT_EQ(Slots(both), (P{{H(10), H(13)}, {H(14), H(18)}}));
}

TEST(WeekDays, SevenDaysFromAnyDateAndWeeksStartOnSunday)
{
    const auto days = SevenDays(Day{2007, 2, 26});
    ASSERT_EQ(days.size(), 7u);
    EXPECT_EQ(days[2], (Day{2007, 2, 28}));
    EXPECT_EQ(days[3], (Day{2007, 3, 1}));
    EXPECT_EQ(SevenDays(Day{9999, 12, 30}).size(), 2u);
    EXPECT_EQ(WeekStart(Day{2007, 3, 1}), (Day{2007, 2, 25})); // a Thursday
    EXPECT_EQ(WeekStart(Day{2007, 2, 25}), (Day{2007, 2, 25}));
    EXPECT_EQ(ClockText(H(9, 5)), "09:05");
    EXPECT_EQ(ClockText(kMinutesPerDay), "24:00");
    EXPECT_EQ(ParseClock("9:30"), H(9, 30));
    EXPECT_EQ(ParseClock("24:00"), kMinutesPerDay);
    for (const char* bad : {"24:01", "9:60", "930", ":30", "123:00", "9:3", "-1:00", "9:30x"})
        EXPECT_FALSE(ParseClock(bad)) << bad;
}

TEST(WeekSchedule, ReadsBothMonthsOfAWeekAndLeavesHiddenMembersOut)
{
    test::TempDir dir;
    tillbrook::GroupRecord g;
    g.name = "g";
    for (const char* code : {"A", "H", "B"}) {
        tillbrook::MemberRecord m;
        m.name = code;
        m.code = code;
        m.attributes = std::string(code) == "H" ? CMember::kHidden : 0;
        g.members.push_back(m);
    }
    const std::string groupPath = dir.File("g.group");
    tillbrook::WriteFile(groupPath, tillbrook::GroupFileBytes(g));
    tillbrook::WriteFile(dir.File("g200702.sch"), tillbrook::ScheduleFileBytes({Entry("A", 28, 9, 0, 10, 0, "feb")}));
    EntryRecord march = Entry("B", 1, 9, 0, 10, 0, "mar");
    march.start = At(2007, 3, 1, 9, 0);
    march.end = At(2007, 3, 1, 10, 0);
    // A month file's entry of another month's day number belongs to that
    // day of the file's month, as in the month view.
    EntryRecord stray = Entry("A", 1, 8, 0, 9, 0, "stray");
    tillbrook::WriteFile(dir.File("g200703.sch"), tillbrook::ScheduleFileBytes({march, stray}));

    test::RecordingUi ui;
    CGroup group(ui, nullptr, CGroup::Persistence::ReadOnly);
    ASSERT_EQ(group.ReadFile(groupPath), 1);
    const auto members = WeekMembers(group);
    EXPECT_EQ(members, (std::vector<int>{0, 2}));
    CWeekSchedule week(group, ui);
    week.Load(Day{2007, 2, 26}, {"A", "B"});
    ASSERT_EQ(week.Days().size(), 7u);
    ASSERT_EQ(week.Months().size(), 2u);
    ASSERT_EQ(week.Entries(0, 2).size(), 1u);
    EXPECT_EQ(week.Entries(0, 2)[0]->Content(), "feb");
    ASSERT_EQ(week.Entries(1, 3).size(), 1u);
    EXPECT_EQ(week.Entries(1, 3)[0]->Content(), "mar");
    ASSERT_EQ(week.Entries(0, 3).size(), 1u);
    EXPECT_EQ(week.Entries(0, 3)[0]->Content(), "stray");
    EXPECT_TRUE(week.Entries(1, 0).empty());
    // Missing month files are no error.
    week.Load(Day{2031, 5, 1}, {"A"});
    EXPECT_EQ(week.Months().size(), 1u);
    EXPECT_TRUE(week.Entries(0, 0).empty());
    EXPECT_EQ(week.Months()[0]->LastReadFailure().cause, 0);
}

TEST(WeekDays, HeadingsColourAsTheMonthViewAndNameTheLawsHolidays)
{
    CHolidayTables tables;
    tables.LoadHolidayText("20070212 user's day\n-20070321 平日\n");
    const auto newYear = HeadingOf(Day{2007, 1, 1}, tables);
    EXPECT_EQ(newYear.kind, DayKind::Holiday);
    EXPECT_EQ(newYear.holidayName, "元日");
    EXPECT_EQ(newYear.weekday, 1);
    EXPECT_EQ(HeadingOf(Day{2007, 2, 10}, tables).kind, DayKind::Saturday);
    EXPECT_EQ(HeadingOf(Day{2007, 2, 11}, tables).kind, DayKind::Holiday);
    EXPECT_EQ(HeadingOf(Day{2007, 2, 13}, tables).kind, DayKind::Ordinary);
    // The law's substitute holiday, also listed in the file: the law's name.
    EXPECT_EQ(HeadingOf(Day{2007, 2, 12}, tables).holidayName, "振替休日");
    // A working day of the file wins, and has no name.
    const auto working = HeadingOf(Day{2007, 3, 21}, tables);
    EXPECT_EQ(working.kind, DayKind::Ordinary);
    EXPECT_EQ(working.holidayName, "");
}

// The name handed to the view through its C interface: code page 932,
// cut to the buffer on a character's first byte, nothing for bad input.
TEST(WeekDays, HolidayNamesForTheViewFitTheirBuffer)
{
    CHolidayTables& tables = ProcessHolidayTables();
    tables.LoadHolidayText("-20070321 平日\n");
    char name[32];
    const std::string greenery = codepage::FromUtf8("みどりの日").value();
    ASSERT_EQ(GetHolidayName(2026, 5, 4, name, sizeof name), static_cast<int32_t>(greenery.size()));
    EXPECT_EQ(std::string(name), greenery);
    // Room for two characters and the NUL: two, never half of the third.
    EXPECT_EQ(GetHolidayName(2026, 5, 4, name, 6), 4);
    EXPECT_EQ(std::string(name), greenery.substr(0, 4));
    EXPECT_EQ(GetHolidayName(2026, 5, 4, name, 4), 2);
    EXPECT_EQ(GetHolidayName(2026, 5, 4, name, 2), 0);
    EXPECT_EQ(name[0], '\0');
    // Ordinary and working days, impossible dates, no buffer.
    EXPECT_EQ(GetHolidayName(2026, 5, 7, name, sizeof name), 0);
    EXPECT_EQ(name[0], '\0');
    EXPECT_EQ(GetHolidayName(2007, 3, 21, name, sizeof name), 0);
    EXPECT_EQ(GetHolidayName(2026, 2, 30, name, sizeof name), 0);
    EXPECT_EQ(GetHolidayName(-5, 13, 0, name, sizeof name), 0);
    EXPECT_EQ(GetHolidayName(2026, 5, 4, nullptr, 32), 0);
    EXPECT_EQ(GetHolidayName(2026, 5, 4, name, 0), 0);
    tables.LoadHolidayText("");
}
