#include "program/groupdata/CGroup.h"

#include "common/IsolatedEnvironment.h"
#include "common/RecordingUi.h"
#include "common/TempDir.h"
#include "common/TrickleSource.h"
#include "support/Archive.h"
#include "support/FileError.h"
#include "support/registry/Registry.h"
#include "support/settings/SettingsTable.h"
#include "tillbrook/TillbrookWriter.h"

#include <gtest/gtest.h>

using namespace mirovan;
using tillbrook::GroupRecord;
using tillbrook::MemberRecord;

namespace {

GroupRecord SampleGroup()
{
    GroupRecord g;
    g.name = "\x89\x63\x8B\xC6\x95\x94"; // 営業部
    g.groupStrings = {"first", "second"};
    g.groupNumbers = {1, 2, 3};
    for (int i = 0; i < 4; ++i) {
        MemberRecord m;
        m.name = "member" + std::to_string(i);
        m.code = "C" + std::to_string(100 + i);
        m.string3 = "s3-" + std::to_string(i);
        m.attributes = i == 2 ? 0x21 : 0;
        g.members.push_back(m);
    }
    return g;
}

class FakeBar : public IGroupBar {
public:
    void ShowGroupName(const std::string& name) override { names.push_back(name); }
    void RefillMemberList(const CGroup& group) override { refills.push_back(group.MemberCount()); }
    void SelectEntry(int entry) override { selected.push_back(entry); }
    std::vector<std::string> names;
    std::vector<int> refills;
    std::vector<int> selected;
};

class GroupFile : public ::testing::Test {
protected:
    std::string Write(const GroupRecord& g, size_t cut = std::string::npos)
    {
        const std::string path = dir.File("sales.group");
        tillbrook::WriteFile(path, tillbrook::GroupFileBytes(g).substr(0, cut));
        return path;
    }
    test::TempDir dir;
    test::IsolatedEnvironment m_environment{dir.Path()};
    test::RecordingUi ui;
    FakeBar bar;
};

} // namespace

TEST_F(GroupFile, ReadsEveryFieldAndTellsTheBar)
{
    const std::string path = Write(SampleGroup());
    CGroup group(ui, &bar);
    EXPECT_EQ(group.ReadFile(path), 1);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(group.Name(), "\x89\x63\x8B\xC6\x95\x94");
    EXPECT_EQ(group.GroupString(), "first");
    EXPECT_EQ(group.FormatWord(), 0x00010002u);
    ASSERT_EQ(group.MemberCount(), 4);
    EXPECT_EQ(group.MemberAt(3).Code(), "C103");
    EXPECT_EQ(group.MemberAt(3).Index(), 3);
    EXPECT_EQ(group.MemberAt(1).String3(), "s3-1");
    EXPECT_TRUE(group.MemberAt(2).IsHidden());
    EXPECT_EQ(group.FindMember("C102"), 2);
    EXPECT_EQ(group.FindMember("c102"), -1);
    EXPECT_EQ(bar.names, std::vector<std::string>{group.Name()});
    EXPECT_EQ(bar.refills, std::vector<int>{4});
    EXPECT_EQ(bar.selected, std::vector<int>{0}); // nothing saved yet
    EXPECT_EQ(ui.waitDepth, 0);
    EXPECT_GT(ui.waitCount, 0);
}

TEST_F(GroupFile, CountsOnlyAnnounceExtraFields)
{
    GroupRecord g = SampleGroup();
    // S = 6, N = 4: six strings (four kept), four numbers (first kept).
    for (auto& m : g.members) {
        m.moreStrings = {"fourth", "x5", "x6"};
        m.moreNumbers = {7, 8, 9};
    }
    CGroup group(ui);
    ASSERT_EQ(group.ReadFile(Write(g)), 1);
    ASSERT_EQ(group.MemberCount(), 4);
    EXPECT_EQ(group.MemberAt(3).String4(), "fourth");
    EXPECT_EQ(group.MemberAt(2).Attributes(), 0x21u);

    // S and N below 3 and 1 still read three strings and one number.
    GroupRecord small = SampleGroup();
    small.stringsPerMember = 0;
    small.numbersPerMember = 0;
    ASSERT_EQ(group.ReadFile(Write(small)), 1);
    EXPECT_EQ(group.MemberCount(), 4);
    EXPECT_EQ(group.MemberAt(3).String3(), "s3-3");
}

TEST_F(GroupFile, LongAndUtf16Strings)
{
    GroupRecord g = SampleGroup();
    g.members[0].name = std::string(300, 'n');
    g.members[1].name = tillbrook::FileString::Utf16(u"山田");
    CGroup group(ui);
    ASSERT_EQ(group.ReadFile(Write(g)), 1);
    EXPECT_EQ(group.MemberAt(0).Name(), std::string(300, 'n'));
    EXPECT_EQ(group.MemberAt(1).Name(), "\x8E\x52\x93\x63");
}

// Every prefix form, UTF-16 beside code page 932, a fourth string, and
// bytes after the last member that are no part of the group.
GroupRecord MixedGroup()
{
    GroupRecord g = SampleGroup();
    g.members[0].name = std::string(300, 'n');
    g.members[1].name = tillbrook::FileString::Utf16(u"山田");
    g.members[1].string3 = std::string(70000, 's');
    g.members[3].code = tillbrook::FileString::Utf16(u"C103");
    for (auto& m : g.members)
        m.moreStrings = {"fourth-" + m.string3.bytes.substr(0, 4)};
    return g;
}

void ExpectMixedMembers(const CGroup& group, int count)
{
    ASSERT_EQ(group.MemberCount(), count);
    const char* names[] = {nullptr, "\x8E\x52\x93\x63", "member2", "member3"};
    for (int i = 0; i < count; ++i) {
        const CMember m = group.MemberAt(i);
        EXPECT_EQ(m.Index(), i);
        EXPECT_EQ(m.Name(), i == 0 ? std::string(300, 'n') : names[i]) << i;
        EXPECT_EQ(m.Code(), "C" + std::to_string(100 + i)) << i;
        EXPECT_EQ(m.String3(), i == 1 ? std::string(70000, 's') : "s3-" + std::to_string(i)) << i;
        EXPECT_EQ(m.String4(), i == 1 ? "fourth-ssss" : "fourth-s3-" + std::to_string(i)) << i;
        EXPECT_EQ(m.IsHidden(), i == 2) << i;
    }
}

TEST_F(GroupFile, ReadsInPiecesStopsAtTheGroupsEndAndKeepsWholeMembersOnAFailure)
{
    const std::string bytes = tillbrook::GroupFileBytes(MixedGroup()) + std::string(100000, '\xFF');
    {
        CGroup group(ui, nullptr, CGroup::Persistence::ReadOnly);
        test::TrickleSource source(bytes, bytes.size());
        group.ReadFrom(source); // the failure at the end is never reached
        ExpectMixedMembers(group, 4);
        EXPECT_EQ(group.GroupString(), "first");
        EXPECT_LT(source.Position(), bytes.size() - 1000);
        EXPECT_EQ(group.FindMember("C103"), 3);
    }
    GroupRecord two = MixedGroup();
    two.members.resize(2);
    const size_t twoMembers = tillbrook::GroupFileBytes(two).size();
    for (const size_t failAt : {twoMembers, twoMembers + 5}) {
        CGroup group(ui, nullptr, CGroup::Persistence::ReadOnly);
        test::TrickleSource source(bytes, failAt);
        EXPECT_THROW(group.ReadFrom(source), CFileException) << failAt;
        ExpectMixedMembers(group, 2);
    }
    // A member count far beyond the file runs into its end.
    std::string lying = tillbrook::GroupFileBytes(two);
    const size_t countAt = 4 + 1 + SampleGroup().name.bytes.size();
    lying.replace(countAt, 4, "\xFF\xFF\xFF\x7F");
    CGroup group(ui, nullptr, CGroup::Persistence::ReadOnly);
    MemorySource source(lying);
    EXPECT_THROW(group.ReadFrom(source), CArchiveException);
    ExpectMixedMembers(group, 2);
}

TEST_F(GroupFile, AReloadedGroupReadsItsOwnMembers)
{
    GroupRecord first = SampleGroup();
    const std::string path = Write(first);
    CGroup group(ui, &bar, CGroup::Persistence::ReadOnly);
    ASSERT_EQ(group.ReadFile(path), 1);
    EXPECT_EQ(group.ReloadIfChanged(), CGroup::Reload::Same);
    Write(MixedGroup());
    EXPECT_EQ(group.ReloadIfChanged(), CGroup::Reload::Replaced);
    ExpectMixedMembers(group, 4);
    EXPECT_EQ(group.ReloadIfChanged(), CGroup::Reload::Same);
    Write(MixedGroup(), 40);
    EXPECT_EQ(group.ReloadIfChanged(), CGroup::Reload::CutOff);
    ExpectMixedMembers(group, 4);
}

TEST_F(GroupFile, CutOffInTheThirdMemberKeepsTwoAndReportsCauseThree)
{
    const GroupRecord g = SampleGroup();
    GroupRecord two = g;
    two.members.resize(2);
    // The same header with four members announced, cut inside member 3.
    const size_t twoMembers = tillbrook::GroupFileBytes(two).size();
    const std::string path = Write(g, twoMembers + 3);
    CGroup group(ui, &bar);
    EXPECT_EQ(group.ReadFile(path), 0);
    EXPECT_EQ(group.MemberCount(), 2);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "ファイルが開けません。\r\nエラー内容：(取得できません)\r\n例外コード：3\r\nファイル名：" + path);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(bar.refills, std::vector<int>{2});
    EXPECT_TRUE(bar.names.empty());
    EXPECT_EQ(bar.selected, std::vector<int>{0});
}

TEST_F(GroupFile, TruncatedAtEveryByteNeverCrashes)
{
    const std::string bytes = tillbrook::GroupFileBytes(SampleGroup());
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        CGroup group(ui, nullptr, CGroup::Persistence::ReadOnly);
        MemorySource src(std::string_view(bytes).substr(0, cut));
        try {
            group.ReadFrom(src);
            ADD_FAILURE() << "read a file cut at " << cut;
        } catch (const CArchiveException& ex) {
            EXPECT_EQ(ex.m_cause, kArchiveEndOfFile);
        }
    }
}

TEST_F(GroupFile, AbsurdCountsRunIntoTheEnd)
{
    GroupRecord g = SampleGroup();
    g.stringsPerMember = 0xFFFFFFFF;
    g.numbersPerMember = 0xFFFFFFFF;
    CGroup group(ui);
    EXPECT_EQ(group.ReadFile(Write(g)), 0);
    EXPECT_EQ(group.MemberCount(), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("例外コード：3"), std::string::npos);
}

TEST_F(GroupFile, MissingFileIsLoggedAndReported)
{
    test::WriteFileBytes(dir.File("tavric.log"), "");
    const std::string path = dir.File("nowhere.group");
    CGroup group(ui, &bar);
    EXPECT_EQ(group.ReadFile(path), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "ファイルが開けません。\r\nエラー内容：ファイルが見つかりません。\r\n例外コード：2\r"
                                   "\nOSエラーコード：2\r\nファイル名：" +
                                       path);
    EXPECT_EQ(bar.refills, std::vector<int>{0});
    EXPECT_TRUE(bar.selected.empty()); // no restore after a failed open
    const std::string log = test::ReadFileBytes(dir.File("tavric.log"));
    EXPECT_NE(log.find("):CGroup::ReadFile() ex->m_cause=2\n"), std::string::npos) << log;
}

// The path is shown whole, as typed; bytes that are no UTF-8 show as U+FFFD.
TEST_F(GroupFile, MessagesNameThePathAsTyped)
{
    std::string longPath = dir.Path().string();
    while (longPath.size() < 3800) {
        longPath += "/";
        for (int i = 0; i < 84; ++i)
            longPath += "共";
    }
    longPath += "/営業 計画😀é.group";
    ASSERT_LT(longPath.size(), 4096u);
    const std::string badBytes = dir.File("\xFF\xFE予定.group");
    const std::string badShown = dir.File("\xEF\xBF\xBD\xEF\xBF\xBD予定.group");
    for (const auto& [path, shown] : {std::pair{longPath, longPath}, std::pair{badBytes, badShown}}) {
        test::RecordingUi messages;
        CGroup group(messages);
        EXPECT_EQ(group.ReadFile(path), 0);
        ASSERT_EQ(messages.messages.size(), 1u);
        const std::string& text = messages.messages[0].text;
        EXPECT_EQ(text.substr(text.find("ファイル名：")), "ファイル名：" + shown);
    }

    GroupRecord g = SampleGroup();
    const std::string cut = dir.File("共有 フォルダ😀.group");
    tillbrook::WriteFile(cut + "\xFF", tillbrook::GroupFileBytes(g).substr(0, 20));
    CGroup group(ui);
    EXPECT_EQ(group.ReadFile(cut + "\xFF"), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text.substr(ui.messages[0].text.find("ファイル名：")),
              "ファイル名：" + cut + "\xEF\xBF\xBD");
}

TEST_F(GroupFile, OtherOpenFailuresHaveNoDescription)
{
    CGroup group(ui);
    EXPECT_EQ(group.ReadFile(dir.Path().string()), 0); // a folder
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("エラー内容：(取得できません)\r\n例外コード：5"), std::string::npos);
}

TEST_F(GroupFile, SelectionIsSavedPerGroupAndRestored)
{
    const std::string path = Write(SampleGroup());
    {
        CGroup group(ui, &bar);
        group.ReadFile(path);
        group.SetSelection(2);
        EXPECT_EQ(group.SelectedCode(), "C102");
        // A refresh saves first, so the same member comes back.
        group.ReadFile("");
        EXPECT_EQ(group.SelectedIndex(), 2);
        EXPECT_EQ(bar.selected.back(), 3);
        group.SetSelection(1);
    } // destruction saves
    EXPECT_EQ(registry::ReadText(registry::Root::CurrentUser, settings::kSelected, "\x89\x63\x8B\xC6\x95\x94", ""),
              "C101");

    CGroup again(ui, &bar);
    again.ReadFile(path);
    EXPECT_EQ(again.SelectedIndex(), 1);
    EXPECT_EQ(again.SelectedCode(), "C101");

    // A code that no longer exists selects nothing.
    registry::WriteText(registry::Root::CurrentUser, settings::kSelected, "\x89\x63\x8B\xC6\x95\x94", "gone");
    bar.selected.clear();
    CGroup third(ui, &bar, CGroup::Persistence::ReadOnly);
    third.ReadFile(path);
    EXPECT_EQ(third.SelectedIndex(), -1);
    EXPECT_EQ(third.SelectedCode(), "");
    EXPECT_EQ(bar.selected, std::vector<int>{0});
}

TEST_F(GroupFile, AFileThatFailsBeforeItsNameKeepsTheChoiceOfTheGroupBefore)
{
    const std::string path = Write(SampleGroup());
    const std::string empty = dir.File("empty.group");
    tillbrook::WriteFile(empty, "");
    const std::string cutInName = dir.File("cut.group");
    tillbrook::WriteFile(cutInName, tillbrook::GroupFileBytes(SampleGroup()).substr(0, 6));
    {
        CGroup group(ui, &bar);
        group.ReadFile(path);
        group.SetSelection(2);
        group.ReadFile(empty);
        EXPECT_EQ(group.SelectedIndex(), -1);
        group.ReadFile(cutInName);
        group.ReadFile(dir.File("missing.group"));
    }
    EXPECT_EQ(registry::ReadText(registry::Root::CurrentUser, settings::kSelected, "\x89\x63\x8B\xC6\x95\x94", ""),
              "C102");
    CGroup again(ui, &bar);
    again.ReadFile(path);
    EXPECT_EQ(again.SelectedCode(), "C102");
}

TEST_F(GroupFile, ReadOnlyPersistenceNeverWrites)
{
    const std::string path = Write(SampleGroup());
    {
        CGroup group(ui, nullptr, CGroup::Persistence::ReadOnly);
        group.ReadFile(path);
        group.SetSelection(3);
    }
    EXPECT_EQ(registry::ReadText(registry::Root::CurrentUser, settings::kSelected, "\x89\x63\x8B\xC6\x95\x94", "none"),
              "none");
}
