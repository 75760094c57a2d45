#include "program/shellcore/CScheduleSource.h"

#include "common/IsolatedEnvironment.h"
#include "common/RecordingUi.h"
#include "common/TempDir.h"
#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"
#include "support/OleDate.h"
#include "tillbrook/TillbrookWriter.h"

#include <gtest/gtest.h>

using namespace mirovan;
using namespace mirovan::shell;
using Outcome = CScheduleMonth::ReadOutcome;

namespace {

// Answers as the program and its view would and records what was sent.
class FakeHost : public IScheduleHost {
public:
    bool IsScheduleMode() override { return scheduleMode; }
    DateValue DisplayedMonth() override { return displayed; }
    bool ShowsEndTime() override { return endTime; }
    void SetDayTexts(const MonthTexts& texts) override { sentTexts.push_back(texts); }
    std::optional<DateValue> SelectedDay() override { return selected; }
    void ShowDayList(const DayList& day) override { shownTitles.push_back(day.title); }

    bool scheduleMode = true;
    bool endTime = false;
    DateValue displayed{ToOleDate(2007, 12, 1).value(), 0};
    std::optional<DateValue> selected;
    std::vector<MonthTexts> sentTexts;
    std::vector<std::string> shownTitles;
};

tillbrook::EntryRecord Entry(const char* owner, int month, int day, const char* content)
{
    tillbrook::EntryRecord e;
    e.start = tillbrook::At(2007, month, day, 9, 0);
    e.end = tillbrook::At(2007, month, day, 10, 0);
    e.content = content;
    e.ownerCode = owner;
    return e;
}

class ScheduleSource : public ::testing::Test {
protected:
    // Two members with entries on 5 December 2007; member 0 chosen.
    void OpenGroup()
    {
        tillbrook::GroupRecord record;
        record.name = "sales";
        record.members.push_back({"One", "M001", "", {}, 0, {}});
        record.members.push_back({"Two", "M002", "", {}, 0, {}});
        const std::string path = dir.File("sales.group");
        tillbrook::WriteFile(path, tillbrook::GroupFileBytes(record));
        tillbrook::WriteFile(
            dir.File("sales200712.sch"),
            tillbrook::ScheduleFileBytes({Entry("M001", 12, 5, "meeting"), Entry("M002", 12, 5, "visit")}));
        ASSERT_EQ(group.ReadFile(path), 1);
        group.SetSelection(0);
    }

    test::TempDir dir;
    test::IsolatedEnvironment m_environment{dir.Path()};
    test::RecordingUi ui;
    CGroup group{ui, nullptr, CGroup::Persistence::ReadOnly};
    CScheduleMonth month{group, ui};
    FakeHost host;
    CScheduleSource source{host, month, group};
};

} // namespace

TEST_F(ScheduleSource, RefreshSendsTheChosenMembersMonthOnlyInScheduleMode)
{
    host.scheduleMode = false;
    OpenGroup();
    source.Refresh();
    EXPECT_TRUE(host.sentTexts.empty());

    host.scheduleMode = true;
    source.Refresh();
    ASSERT_EQ(host.sentTexts.size(), 1u);
    EXPECT_EQ(month.Month().date, host.displayed.date);
    const auto& day5 = host.sentTexts[0][4];
    ASSERT_EQ(day5.size(), 1u);
    EXPECT_NE(day5[0].find("meeting"), std::string::npos);
    EXPECT_TRUE(host.sentTexts[0][5].empty());
}

TEST_F(ScheduleSource, RefreshWithoutAGroupOnlyFollowsTheMonth)
{
    source.Refresh();
    EXPECT_EQ(month.Month().date, host.displayed.date);
    EXPECT_TRUE(host.sentTexts.empty());
}

TEST_F(ScheduleSource, DayListNeedsASelectedDayWithATitle)
{
    OpenGroup();
    source.Refresh();
    EXPECT_FALSE(source.ShowDayList());

    host.selected = DateValue{ToOleDate(2007, 12, 5).value(), 0};
    EXPECT_TRUE(source.ShowDayList());
    ASSERT_EQ(host.shownTitles.size(), 1u);
    EXPECT_FALSE(host.shownTitles[0].empty());

    // An invalid date has no title and opens nothing.
    host.selected = DateValue{0.0, 1};
    EXPECT_FALSE(source.ShowDayList());
    EXPECT_EQ(host.shownTitles.size(), 1u);
}

TEST_F(ScheduleSource, AFileCaughtMidWriteIsNeverShownHalf)
{
    OpenGroup();
    ASSERT_EQ(source.RefreshIfWhole(), Outcome::Whole);
    ASSERT_EQ(host.sentTexts.size(), 1u);

    // The writer has put down one record and part of the next.
    const std::string whole =
        tillbrook::ScheduleFileBytes({Entry("M001", 12, 7, "moved"), Entry("M001", 12, 9, "added")});
    tillbrook::WriteFile(dir.File("sales200712.sch"), whole.substr(0, whole.size() - 5));
    EXPECT_EQ(source.RefreshIfWhole(), Outcome::CutOff);
    EXPECT_EQ(host.sentTexts.size(), 1u);
    // What was loaded stays for the day list.
    host.selected = DateValue{ToOleDate(2007, 12, 5).value(), 0};
    EXPECT_TRUE(source.ShowDayList());
    EXPECT_TRUE(ui.messages.empty());

    tillbrook::WriteFile(dir.File("sales200712.sch"), whole);
    EXPECT_EQ(source.RefreshIfWhole(), Outcome::Whole);
    ASSERT_EQ(host.sentTexts.size(), 2u);
    EXPECT_TRUE(host.sentTexts[1][4].empty());
    EXPECT_FALSE(host.sentTexts[1][6].empty());
    EXPECT_FALSE(host.sentTexts[1][8].empty());

    // A month file removed is a month without entries.
    std::filesystem::remove(dir.File("sales200712.sch"));
    EXPECT_EQ(source.RefreshIfWhole(), Outcome::Whole);
    ASSERT_EQ(host.sentTexts.size(), 3u);
    EXPECT_TRUE(host.sentTexts[2][6].empty());
}
