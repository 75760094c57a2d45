#include "program/groupdata/ScheduleTexts.h"

#include "common/MonthFrom.h"
#include "common/RecordingUi.h"
#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"
#include "support/Archive.h"
#include "support/Codepage.h"
#include "tillbrook/TillbrookWriter.h"

#include <gtest/gtest.h>

using namespace mirovan;
using tillbrook::At;
using tillbrook::EntryRecord;

namespace {

std::string Utf8(const std::string& cp932) { return codepage::ToUtf8(cp932).value(); }

EntryRecord Entry(const char* code, int day, int h, int m, int eh, int em, const char* content, uint32_t flags = 0)
{
    EntryRecord e;
    e.start = At(2007, 2, day, h, m);
    e.end = At(2007, 2, day, eh, em);
    e.content = content;
    e.ownerCode = code;
    e.remarks = std::string("r-") + content;
    e.flags = flags;
    return e;
}

class Texts : public ::testing::Test {
protected:
    void Load(const std::vector<EntryRecord>& entries) { test::LoadMonthFrom(month, entries); }
    test::RecordingUi ui;
    CGroup group{ui, nullptr, CGroup::Persistence::ReadOnly};
    CScheduleMonth month{group, ui};
};

} // namespace

TEST(ScheduleTextPieces, TimeTextIsAlwaysSixCharacters)
{
    EXPECT_EQ(TimeText(DateValue{At(2007, 2, 1, 9, 5).value, 0}), " 9:05 ");
    EXPECT_EQ(TimeText(DateValue{At(2007, 2, 1, 12, 30).value, 0}), "12:30 ");
    EXPECT_EQ(TimeText(DateValue{At(2007, 2, 1, 0, 0).value, 0}), " 0:00 ");
    EXPECT_EQ(TimeText(DateValue{At(2007, 2, 1, 9, 5).value, 1}), "      ");
    EXPECT_EQ(Utf8(DayTitle(2007, 2, 1)), "2007年2月1日のスケジュール");
}

TEST_F(Texts, LinesFollowTheEndTimeSettingAndTheTentativeMark)
{
    Load({Entry("C1", 3, 9, 5, 10, 30, "plain"), Entry("C1", 4, 9, 5, 10, 30, "maybe", 0x1000)});
    const MonthTexts on = BuildMonthTexts(month, "C1", true);
    const MonthTexts off = BuildMonthTexts(month, "C1", false);
    ASSERT_EQ(on[2].size(), 1u);
    EXPECT_EQ(Utf8(on[2][0]), " 9:05 ～10:30  plain");
    EXPECT_EQ(Utf8(off[2][0]), " 9:05  plain");
    EXPECT_EQ(Utf8(on[3][0]), " 9:05 ～10:30  [仮]maybe");
    EXPECT_EQ(Utf8(off[3][0]), " 9:05  [仮]maybe");
    for (size_t d = 0; d < 31; ++d) {
        if (d != 2 && d != 3) {
            EXPECT_TRUE(on[d].empty()) << d;
        }
    }
}

TEST_F(Texts, SortedByStartKeepingFileOrderForTies)
{
    Load({Entry("C1", 5, 9, 0, 10, 0, "first nine"), Entry("C1", 5, 8, 30, 9, 0, "half past eight"),
          Entry("C1", 5, 9, 0, 11, 0, "second nine"), Entry("C2", 5, 7, 0, 8, 0, "someone else")});
    const MonthTexts t = BuildMonthTexts(month, "C1", false);
    ASSERT_EQ(t[4].size(), 3u);
    EXPECT_EQ(Utf8(t[4][0]), " 8:30  half past eight");
    EXPECT_EQ(Utf8(t[4][1]), " 9:00  first nine");
    EXPECT_EQ(Utf8(t[4][2]), " 9:00  second nine");

    DateValue fifth{At(2007, 2, 5).value, 0};
    const DayList list = BuildDayList(month, "C1", fifth);
    EXPECT_EQ(Utf8(list.title), "2007年2月5日のスケジュール");
    ASSERT_EQ(list.times.size(), 3u);
    EXPECT_EQ(Utf8(list.times[0]), " 8:30 ～ 9:00 ");
    EXPECT_EQ(list.contents[1], "first nine");
    EXPECT_EQ(list.remarks[2], "r-second nine");
    EXPECT_EQ(list.entries[0], &month.EntryAt(1));
}

TEST_F(Texts, VisibilityRules)
{
    EntryRecord replaced = Entry("C1", 1, 9, 0, 10, 0, "old");
    EntryRecord replacement = Entry("C1", 1, 9, 0, 10, 0, "new", 1);
    replacement.link = 0;
    EntryRecord deletion = Entry("C1", 1, 9, 0, 10, 0, "del", 2);
    deletion.link = 2;
    Load({replaced, replacement, Entry("C1", 2, 9, 0, 10, 0, "hidden", 0x400),
          Entry("C1", 2, 9, 0, 10, 0, "shown", 0x1400), Entry("C1", 2, 9, 0, 10, 0, "private", 0x200), deletion,
          Entry("", 3, 9, 0, 10, 0, "nobody's")});
    const MonthTexts t = BuildMonthTexts(month, "C1", false);
    ASSERT_EQ(t[0].size(), 1u);
    EXPECT_EQ(Utf8(t[0][0]), " 9:00  new");
    ASSERT_EQ(t[1].size(), 1u);
    EXPECT_EQ(Utf8(t[1][0]), " 9:00  [仮]shown");
    EXPECT_TRUE(BuildDayList(month, "C1", DateValue{At(2007, 2, 2).value, 0}).contents ==
                std::vector<std::string>{"shown"});
    // No member chosen: only entries without an owner.
    EXPECT_EQ(BuildMonthTexts(month, "", false)[2].size(), 1u);
    EXPECT_EQ(SelectedMemberCode(group), "");
}

TEST_F(Texts, InvalidStartsBelongToNoDay)
{
    EntryRecord invalid = Entry("C1", 1, 9, 0, 10, 0, "invalid");
    invalid.start.status = 1;
    EntryRecord nan = Entry("C1", 1, 9, 0, 10, 0, "nan");
    nan.start.value = std::numeric_limits<double>::quiet_NaN();
    EntryRecord huge = Entry("C1", 1, 9, 0, 10, 0, "huge");
    huge.start.value = 1e12;
    Load({invalid, nan, huge});
    for (const auto& day : BuildMonthTexts(month, "C1", true))
        EXPECT_TRUE(day.empty());
    EXPECT_TRUE(BuildDayList(month, "C1", DateValue{At(2007, 2, 1).value, 0}).times.empty());
    const DayList none = BuildDayList(month, "C1", DateValue{0.0, 2});
    EXPECT_TRUE(none.title.empty());
}

TEST_F(Texts, DayListShowsOnlyTheTitledDate)
{
    Load({Entry("C1", 28, 9, 0, 10, 0, "end of february")});
    // A selected cell of the next month's 28th is titled with that date and
    // lists none of the loaded month's 28th.
    const DayList list = BuildDayList(month, "C1", DateValue{At(2007, 3, 28).value, 0});
    EXPECT_EQ(Utf8(list.title), "2007年3月28日のスケジュール");
    EXPECT_TRUE(list.contents.empty());
    EXPECT_EQ(BuildDayList(month, "C1", DateValue{At(2007, 2, 28).value, 0}).contents,
              std::vector<std::string>{"end of february"});
}
