#include "program/groupdata/CScheduleMonth.h"

#include "common/IsolatedEnvironment.h"
#include "common/RecordingUi.h"
#include "common/TempDir.h"
#include "common/TrickleSource.h"
#include "program/groupdata/CGroup.h"
#include "support/Archive.h"
#include "support/FileError.h"
#include "support/platform/Clock.h"
#include "support/platform/Platform.h"
#include "tillbrook/TillbrookWriter.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>

using namespace mirovan;
using tillbrook::At;
using tillbrook::EntryRecord;

namespace {

EntryRecord Entry(const char* code, int day, int hour, int minute, const char* content)
{
    EntryRecord e;
    e.start = At(2007, 2, day, hour, minute);
    e.end = At(2007, 2, day, hour + 1, minute);
    e.date3 = At(2007, 1, 1);
    e.content = content;
    e.ownerCode = code;
    e.string3 = "s3";
    e.remarks = "remark";
    return e;
}

class ScheduleMonth : public ::testing::Test {
protected:
    // Loads the given bytes as the February 2007 file of a group.
    void LoadBytes(const std::string& bytes)
    {
        const std::string groupPath = dir.File("sales.group");
        tillbrook::GroupRecord g;
        g.name = "sales";
        tillbrook::WriteFile(groupPath, tillbrook::GroupFileBytes(g));
        group.ReadFile(groupPath);
        tillbrook::WriteFile(dir.File("sales200702.sch"), bytes);
        month.SetMonth(DateValue{39114.5, 0});
        month.Load();
        month.Link();
    }
    std::vector<int> Superseded() const
    {
        std::vector<int> out;
        for (int i = 0; i < month.EntryCount(); ++i)
            out.push_back(month.EntryAt(i).Superseded());
        return out;
    }

    test::TempDir dir;
    test::IsolatedEnvironment m_environment{dir.Path()};
    test::RecordingUi ui;
    CGroup group{ui, nullptr, CGroup::Persistence::ReadOnly};
    CScheduleMonth month{group, ui};
};

// The linear scan over the link index, as the original does it.
std::vector<int> ReferenceLinkPass(const std::vector<std::pair<uint32_t, uint32_t>>& flagsAndLinks)
{
    std::vector<int> superseded(flagsAndLinks.size(), 0);
    CLinkIndex index;
    for (size_t i = 0; i < flagsAndLinks.size(); ++i) {
        const auto [flags, link] = flagsAndLinks[i];
        if (link >= flagsAndLinks.size())
            continue;
        const uint32_t kind = flags & 0xFF;
        if (kind == 1 || kind == 2)
            superseded[link] = 1;
        if (kind != 0) {
            int32_t pos;
            for (int32_t v = index.FindFirst(link, pos); v >= 0; v = index.FindNext(link, pos))
                superseded[static_cast<size_t>(v)] = 1;
            index.Add(link, static_cast<int32_t>(i));
        }
    }
    return superseded;
}

} // namespace

TEST(ScheduleMonthPath, FollowsTheGroupFileName)
{
    EXPECT_EQ(CScheduleMonth::MonthFilePath("/share/sales.group", 2007, 2), "/share/sales200702.sch");
    EXPECT_EQ(CScheduleMonth::MonthFilePath("/share/sales.v2.group", 2008, 1), "/share/sales.v2200801.sch");
    EXPECT_EQ(CScheduleMonth::MonthFilePath("noextension", 2007, 2), "200702.sch");
    EXPECT_EQ(CScheduleMonth::MonthFilePath("", 2007, 12), "200712.sch");
}

TEST(ScheduleMonthStart, IsTheMomentItWasMade)
{
    test::RecordingUi ui;
    CGroup group{ui, nullptr, CGroup::Persistence::ReadOnly};
    const platform::ScopedClock pin{2007, 2, 1, 9, 0};
    const CScheduleMonth month{group, ui};
    EXPECT_DOUBLE_EQ(month.Month().date, 39114.375);
}

TEST_F(ScheduleMonth, ReadsEveryFieldWhateverTheShape)
{
    EntryRecord a = Entry("C1", 5, 9, 5, "会議");
    a.word1 = 77;
    a.flags = 0x1000;
    a.number2 = 9;
    a.hasRemarks = false; // T = 3: no remarks
    EntryRecord b = Entry("C2", 6, 10, 0, "visit");
    b.moreNumbers = {1, 2, 3};         // D = 5
    b.moreStrings = {"extra", "more"}; // T = 6
    EntryRecord c = Entry("C3", 7, 11, 0, "");
    c.content = tillbrook::FileString::Utf16(u"出張");
    EXPECT_EQ(tillbrook::EntryBytes(a).size(), 56u + 1 + 6 + 1 + 2 + 1 + 2);

    LoadBytes(tillbrook::ScheduleFileBytes({a, b, c}));
    ASSERT_EQ(month.EntryCount(), 3);
    EXPECT_TRUE(ui.messages.empty());
    const CScheduleEntry& ea = month.EntryAt(0);
    EXPECT_EQ(ea.Word1(), 77u);
    EXPECT_EQ(ea.Flags(), 0x1000u);
    EXPECT_EQ(ea.Number2(), 9u);
    EXPECT_EQ(ea.Remarks(), "");
    EXPECT_EQ(ea.OwnerCode(), "C1");
    EXPECT_EQ(ea.String3(), "s3");
    EXPECT_EQ(ea.OwnIndex(), 0);
    EXPECT_EQ(ea.Start().Civil()->hour, 9);
    EXPECT_EQ(ea.End().Civil()->hour, 10);
    EXPECT_EQ(month.EntryAt(1).Remarks(), "remark");
    EXPECT_EQ(month.EntryAt(1).OwnIndex(), 1);
    EXPECT_EQ(month.EntryAt(1).Content(), "visit");
    EXPECT_EQ(month.EntryAt(2).Content(), "\x8F\x6F\x92\xA3");
}

TEST_F(ScheduleMonth, Utf16StringsAnywhereInTheRecordReadAsCodePage932)
{
    EntryRecord a = Entry("", 3, 9, 0, "plain");
    a.ownerCode = tillbrook::FileString::Utf16(u"C1");
    a.remarks = tillbrook::FileString::Utf16(u"出張");
    EntryRecord b = Entry("C2", 4, 9, 0, "");
    b.hasRemarks = false;
    b.string3 = tillbrook::FileString::Utf16(u"s3");
    b.content = tillbrook::FileString::Utf16(std::u16string(300, u'会'));
    EntryRecord c = Entry("C3", 5, 9, 0, "after");
    c.moreStrings = {tillbrook::FileString::Utf16(u"ignored")};

    LoadBytes(tillbrook::ScheduleFileBytes({a, b, c}));
    ASSERT_EQ(month.EntryCount(), 3);
    EXPECT_EQ(month.EntryAt(0).Content(), "plain");
    EXPECT_EQ(month.EntryAt(0).OwnerCode(), "C1");
    EXPECT_EQ(month.EntryAt(0).String3(), "s3");
    EXPECT_EQ(month.EntryAt(0).Remarks(), "\x8F\x6F\x92\xA3");
    std::string many;
    for (int i = 0; i < 300; ++i)
        many += "\x89\xEF";
    EXPECT_EQ(month.EntryAt(1).Content(), many);
    EXPECT_EQ(month.EntryAt(1).String3(), "s3");
    EXPECT_EQ(month.EntryAt(1).Remarks(), "");
    EXPECT_EQ(month.EntryAt(2).Content(), "after");
    EXPECT_EQ(month.EntryAt(2).Remarks(), "remark");
}

TEST_F(ScheduleMonth, StreamThatGrowsOrFailsKeepsEveryWholeRecord)
{
    const std::vector<EntryRecord> records{Entry("C1", 1, 9, 0, "a"), Entry("C1", 2, 9, 0, "b"),
                                           Entry("C1", 3, 9, 0, "c")};
    const std::string bytes = tillbrook::ScheduleFileBytes(records);
    {
        CScheduleMonth grown(group, ui);
        test::TrickleSource source(bytes, bytes.size() + 1);
        grown.LoadFrom(source);
        ASSERT_EQ(grown.EntryCount(), 3);
        EXPECT_EQ(grown.EntryAt(2).Content(), "c");
    }
    const size_t first = tillbrook::EntryBytes(records[0]).size();
    for (const size_t failAt : {first, first + 5}) {
        CScheduleMonth failed(group, ui);
        test::TrickleSource source(bytes, failAt);
        EXPECT_THROW(failed.LoadFrom(source), CFileException) << failAt;
        ASSERT_EQ(failed.EntryCount(), 1) << failAt;
        EXPECT_EQ(failed.EntryAt(0).Content(), "a");
    }
}

TEST_F(ScheduleMonth, EndOfFileDropsTheLastRecordSilently)
{
    const std::string full = tillbrook::ScheduleFileBytes({Entry("C1", 1, 9, 0, "a"), Entry("C1", 2, 9, 0, "b")});
    const size_t first = tillbrook::EntryBytes(Entry("C1", 1, 9, 0, "a")).size();
    for (size_t cut = 0; cut <= full.size(); ++cut) {
        LoadBytes(full.substr(0, cut));
        const int expected = cut == full.size() ? 2 : cut >= first ? 1 : 0;
        ASSERT_EQ(month.EntryCount(), expected) << cut;
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ScheduleMonth, MissingFileGivesNoEntriesAndNoMessage)
{
    LoadBytes(tillbrook::ScheduleFileBytes({Entry("C1", 1, 9, 0, "a")}));
    ASSERT_EQ(month.EntryCount(), 1);
    month.SetMonth(DateValue{39114.0 + 31, 0}); // March
    EXPECT_EQ(month.Path(), dir.File("sales200703.sch"));
    month.Load();
    EXPECT_EQ(month.EntryCount(), 0);
    EXPECT_TRUE(ui.messages.empty());
}

// The month view stays silent on a file it cannot read; the failure is
// kept for the command line, which must not be.
TEST_F(ScheduleMonth, AFileThatIsThereButUnreadableIsKeptAsAFailure)
{
    const std::string whole = tillbrook::ScheduleFileBytes({Entry("C1", 1, 9, 0, "a"), Entry("C1", 2, 9, 0, "b")});
    LoadBytes(whole.substr(0, whole.size() - 1));
    EXPECT_EQ(month.LastReadFailure().cause, 0);
    platform::SetFaultHook([](platform::FileStep, const std::string&) { return EIO; });
    month.Load();
    platform::SetFaultHook(nullptr);
    EXPECT_EQ(month.LastReadFailure().cause, kFileHardIO);
    EXPECT_FALSE(month.LastReadFailure().told);
    std::filesystem::remove(dir.File("sales200702.sch"));
    std::filesystem::create_directory(dir.File("sales200702.sch"));
    month.Load();
    EXPECT_EQ(month.LastReadFailure().cause, kFileAccessDenied);
    EXPECT_TRUE(ui.messages.empty());
    // What is no file at all the reader tells itself.
    std::filesystem::remove(dir.File("sales200702.sch"));
    std::filesystem::create_symlink("/dev/zero", dir.File("sales200702.sch"));
    month.Load();
    EXPECT_EQ(month.LastReadFailure().cause, kFileInvalid);
    EXPECT_TRUE(month.LastReadFailure().told);
    std::filesystem::remove(dir.File("sales200702.sch"));
    month.Load();
    EXPECT_EQ(month.LastReadFailure().cause, 0);
}

TEST_F(ScheduleMonth, HugeLengthsDoNotAllocate)
{
    EntryRecord e = Entry("C1", 1, 9, 0, "a");
    std::string bytes = tillbrook::ScheduleFileBytes({e, e});
    // Claim 4 GB for the second record's content.
    bytes +=
        std::string("\x00\x00\x00\x00\x02\x00\x03\x00", 8) + std::string(48, '\0') + "\xFF\xFF\xFF\xFF\xFF\xFF\xFF";
    LoadBytes(bytes);
    EXPECT_EQ(month.EntryCount(), 2);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ScheduleMonth, ReplacementsDeletionsAndChains)
{
    std::vector<EntryRecord> e;
    for (int i = 0; i < 4; ++i)
        e.push_back(Entry("C1", 1, 9, i, "base"));
    EntryRecord replace = Entry("C1", 1, 9, 0, "new");
    replace.flags = 1;
    replace.link = 3;
    e.push_back(replace); // 4: hides 3
    EntryRecord del = Entry("C1", 1, 9, 0, "");
    del.flags = 2;
    del.link = 1;
    e.push_back(del);             // 5: hides 1 (and itself by its flags)
    for (int i = 0; i < 3; ++i) { // 6, 7, 8: low byte 5, same link 0
        EntryRecord chain = Entry("C1", 1, 9, 0, "chain");
        chain.flags = 0x1005;
        chain.link = 0;
        e.push_back(chain);
    }
    EntryRecord forward = Entry("C1", 1, 9, 0, "forward");
    forward.flags = 1;
    forward.link = 10;
    e.push_back(forward);                       // 9: hides 10, a later entry
    e.push_back(Entry("C1", 1, 9, 0, "later")); // 10
    LoadBytes(tillbrook::ScheduleFileBytes(e));
    EXPECT_EQ(Superseded(), (std::vector<int>{0, 1, 0, 1, 0, 0, 1, 1, 0, 0, 1}));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(month.LinkIndex().Count(0), 3);
}

TEST_F(ScheduleMonth, LinkOutsideTheFileIsReportedPerEntry)
{
    EntryRecord bad = Entry("C1", 1, 9, 0, "bad");
    bad.flags = 1;
    bad.link = 2;
    EntryRecord worse = bad;
    worse.link = 0xFFFFFFFF;
    LoadBytes(tillbrook::ScheduleFileBytes({bad, worse}));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, "致命的なエラー‘1’がインデックス0のスケジュールに関して生じました。");
    EXPECT_EQ(ui.messages[1].text, "致命的なエラー‘1’がインデックス1のスケジュールに関して生じました。");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Stop);
    EXPECT_EQ(Superseded(), (std::vector<int>{0, 0}));
}

TEST_F(ScheduleMonth, LinkPassAgreesWithTheLinearScan)
{
    std::mt19937 rng(42);
    for (int round = 0; round < 200; ++round) {
        const size_t n = 1 + rng() % 40;
        std::vector<std::pair<uint32_t, uint32_t>> fl;
        std::vector<EntryRecord> e;
        for (size_t i = 0; i < n; ++i) {
            const uint32_t kinds[] = {0, 0, 1, 2, 5, 0x1005, 2};
            EntryRecord r = Entry("C1", 1, 9, 0, "x");
            r.flags = kinds[rng() % 7];
            r.link = static_cast<uint32_t>(rng() % (n + 2));
            fl.emplace_back(r.flags, r.link);
            e.push_back(r);
        }
        ui.messages.clear();
        LoadBytes(tillbrook::ScheduleFileBytes(e));
        ASSERT_EQ(Superseded(), ReferenceLinkPass(fl)) << "round " << round;
    }
}

TEST(LinkIndex, FindsValuesInOrderOfAddition)
{
    CLinkIndex index;
    index.Add(3, 10);
    index.Add(1, 11);
    index.Add(3, 12);
    index.Add(3, 13);
    int32_t pos = 0;
    EXPECT_EQ(index.FindFirst(3, pos), 10);
    EXPECT_EQ(index.FindNext(3, pos), 12);
    EXPECT_EQ(index.FindNext(3, pos), 13);
    EXPECT_EQ(index.FindNext(3, pos), -1);
    EXPECT_EQ(index.FindFirst(2, pos), -1);
    EXPECT_EQ(index.FindFirst(99, pos), -1);
    EXPECT_EQ(index.FindLast(3), 13);
    pos = 1; // a position not produced by a previous find
    EXPECT_EQ(index.FindNext(3, pos), 12);
    index.Clear();
    EXPECT_EQ(index.Count(3), 0);
    EXPECT_EQ(index.FindLast(3), -1);
}

TEST_F(ScheduleMonth, AFileAboveTheLimitIsRefusedUnread)
{
    LoadBytes(tillbrook::ScheduleFileBytes({Entry("C1", 1, 9, 0, "a")}));
    ASSERT_EQ(month.EntryCount(), 1);
    // Sparse: its records start whole, the rest reads as zeros and costs no disk.
    std::filesystem::resize_file(month.Path(), CScheduleMonth::kMaxFileBytes + 1);
    EXPECT_EQ(month.LoadIfWhole(), CScheduleMonth::ReadOutcome::Refused);
    EXPECT_EQ(month.EntryCount(), 1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "スケジュールファイルを読み込めません。(例外コード：6)\r\nファイル名：" + month.Path());

    month.Load();
    EXPECT_EQ(month.EntryCount(), 0);
    EXPECT_EQ(ui.messages.size(), 2u);
}
