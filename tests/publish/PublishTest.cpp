#include "publish/FileName.h"
#include "publish/GroupPublisher.h"
#include "publish/Html.h"
#include "publish/OutputFolder.h"

#include "common/IsolatedEnvironment.h"
#include "common/RecordingUi.h"
#include "common/TempDir.h"
#include "program/groupdata/Holidays.h"
#include "support/Codepage.h"
#include "tillbrook/TillbrookWriter.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

using namespace mirovan;
using namespace mirovan::publish;
namespace fs = std::filesystem;

namespace {

std::string Cp932(const std::string& utf8) { return codepage::FromUtf8(utf8).value(); }

// Every name the files could hold stays one plain name of the folder.
TEST(PublishFileName, NamesNeverLeaveTheFolderOrHideThemselves)
{
    EXPECT_EQ(FileNameOf("M001"), "M001");
    EXPECT_EQ(FileNameOf("営業部"), "営業部");
    EXPECT_EQ(FileNameOf("../x"), "%2E%2E%2Fx");
    EXPECT_EQ(FileNameOf("a/b"), "a%2Fb");
    EXPECT_EQ(FileNameOf(".hidden"), "%2Ehidden");
    EXPECT_EQ(FileNameOf("a\\b%c"), "a%5Cb%25c");
    EXPECT_EQ(FileNameOf(std::string("t\tn\n\x7f\0", 6)), "t%09n%0A%7F%00");
    EXPECT_EQ(FileNameOf("a b:c"), "a%20b%3Ac");
    EXPECT_EQ(FileNameOf(""), "%");
    // The tree's own folder names, and bytes that are no UTF-8.
    EXPECT_EQ(FileNameOf("vdir"), "%76dir");
    EXPECT_EQ(FileNameOf("Week"), "%57eek");
    EXPECT_EQ(FileNameOf("weeks"), "weeks");
    EXPECT_EQ(FileNameOf("\x82\xa0\xc2\x85"), "%82%A0%C2%85");
    // Long names are cut between characters and stay apart by their hash.
    const std::string a = FileNameOf(std::string(300, 'a'));
    const std::string b = FileNameOf(std::string(299, 'a') + "b");
    EXPECT_LE(a.size(), kMaxName);
    EXPECT_NE(a, b);
    const std::string kana = FileNameOf(std::string(200, '.') + "あいうえお");
    EXPECT_LE(kana.size(), kMaxName);
    EXPECT_EQ(kana.find('.'), std::string::npos);
    EXPECT_EQ(UrlSegment("a%2Fb"), "a%252Fb");
    EXPECT_EQ(UrlSegment("営"), "%E5%96%B6");
}

TEST(PublishHtml, EveryTextIsEscaped)
{
    EXPECT_EQ(Escape("<script>alert('x')</script> & \"q\""),
              "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &amp; &quot;q&quot;");
    EXPECT_EQ(Escape("a\r\nb", true), "a<br>b");
    EXPECT_EQ(Escape("a\r\nb"), "a b");
    EXPECT_EQ(Escape(std::string("\x01", 1)), "\xEF\xBF\xBD");
    MonthPage page;
    page.groupName = "<G>";
    page.memberName = "\"M\"";
    page.year = 2007;
    page.month = 2;
    page.up = {"<up>", "../index.html?a=1&b=2"};
    DayCell cell;
    cell.day = 1;
    cell.entries.push_back({"9:00～10:00", true, "<script>x</script>\n2行目", "&"});
    page.cells.push_back(cell);
    const std::string html = RenderMonthPage(page);
    EXPECT_EQ(html.find("<script>"), std::string::npos);
    EXPECT_NE(html.find("&lt;script&gt;x&lt;/script&gt;<br>2行目"), std::string::npos);
    EXPECT_NE(html.find("href=\"../index.html?a=1&amp;b=2\""), std::string::npos);
    EXPECT_NE(html.find("<html lang=\"ja\">"), std::string::npos);
}

tillbrook::EntryRecord Entry(const char* code, int day, int hour, const std::string& content)
{
    tillbrook::EntryRecord e;
    e.start = tillbrook::At(2007, 2, day, hour, 0);
    e.end = tillbrook::At(2007, 2, day, hour + 1, 0);
    e.content = Cp932(content);
    e.ownerCode = code;
    return e;
}

// Every regular file under a folder with its bytes and time.
std::map<std::string, std::pair<std::string, fs::file_time_type>> Tree(const fs::path& root)
{
    std::map<std::string, std::pair<std::string, fs::file_time_type>> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        files[fs::relative(entry.path(), root).string()] = {bytes.str(), entry.last_write_time()};
    }
    return files;
}

class Publish : public ::testing::Test {
protected:
    void WriteGroup(std::vector<tillbrook::MemberRecord> members)
    {
        tillbrook::GroupRecord g;
        g.name = Cp932("営業部");
        g.members = std::move(members);
        tillbrook::WriteFile(m_dir.File("in/営業部.group"), tillbrook::GroupFileBytes(g));
    }
    void WriteFebruary(const std::vector<tillbrook::EntryRecord>& entries)
    {
        tillbrook::WriteFile(m_dir.File("in/営業部200702.sch"), tillbrook::ScheduleFileBytes(entries));
    }
    int Run(std::optional<std::set<int>> changed = std::nullopt, calendar::MonthRange window = {2007, 1, 3})
    {
        OutputFolder out(m_dir.File("out"));
        return Run(out, changed, window);
    }
    int Run(OutputFolder& out, std::optional<std::set<int>> changed = std::nullopt,
            calendar::MonthRange window = {2007, 1, 3})
    {
        GroupPublisher publisher(m_dir.File("in/営業部.group"), m_ui, m_holidays);
        EXPECT_TRUE(publisher.ReadGroup(false));
        EXPECT_TRUE(publisher.ReadMonths(window, false));
        out.StartPublish();
        publisher.Write(out, {window, {2007, 2, 11}, {}}, changed);
        return out.Written();
    }
    fs::path Out() const { return fs::path(m_dir.Path()) / "out"; }

    test::TempDir m_dir;
    test::IsolatedEnvironment m_env{m_dir.Path()};
    test::RecordingUi m_ui;
    CHolidayTables m_holidays;
    void SetUp() override
    {
        fs::create_directories(m_dir.File("in"));
        m_holidays.LoadHolidayText("");
    }
};

TEST_F(Publish, StrangeCodesStayInsideAndHiddenMembersAreLeftOut)
{
    WriteGroup({{Cp932("上へ"), "../x", "", {}, 0, {}},
                {Cp932("斜線"), "a/b", "", {}, 0, {}},
                {Cp932("点"), ".hidden", "", {}, 0, {}},
                {Cp932("隠れ"), "SECRET", "", {}, 0x20, {}},
                {Cp932("山田"), "M1", "", {}, 0, {}}});
    WriteFebruary({Entry("../x", 3, 9, "<script>alert(\"&\")</script>\r\n次の行"), Entry("SECRET", 4, 9, "秘密"),
                   Entry("M1", 11, 10, "建国記念の日の予定")});
    Run();
    EXPECT_FALSE(fs::exists(fs::path(m_dir.Path()) / "x.ics"));
    EXPECT_FALSE(fs::exists(fs::path(m_dir.Path()) / "x"));
    const auto tree = Tree(Out());
    for (const auto& [path, file] : tree) {
        EXPECT_EQ(path.find("SECRET"), std::string::npos) << path;
        EXPECT_EQ(file.first.find("秘密"), std::string::npos) << path;
        EXPECT_EQ(path.find("/."), std::string::npos) << path;
    }
    for (const char* name : {"営業部/index.html", "営業部/%2E%2E%2Fx.ics", "営業部/a%2Fb.ics", "営業部/%2Ehidden.ics",
                             "営業部/%2E%2E%2Fx/2007-02.html", "営業部/M1/2007-01.html"})
        EXPECT_TRUE(tree.count(name)) << name;
    const std::string& page = tree.at("営業部/%2E%2E%2Fx/2007-02.html").first;
    EXPECT_EQ(page.find("<script>"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;alert(&quot;&amp;&quot;)&lt;/script&gt;<br>次の行"), std::string::npos);
    // Links from the group's page reach the encoded names.
    EXPECT_NE(tree.at("営業部/index.html").first.find("href=\"%252E%252E%252Fx.ics\""), std::string::npos);
    const std::string& m1 = tree.at("営業部/M1/2007-02.html").first;
    EXPECT_NE(m1.find("建国記念の日</span>"), std::string::npos);
    EXPECT_NE(m1.find("class=\"sun today\""), std::string::npos);
    EXPECT_NE(m1.find("rel=\"prev\" href=\"2007-01.html\""), std::string::npos);
}

TEST_F(Publish, UnchangedFilesAreNotWrittenAndGoneEventsAndMembersAreRemoved)
{
    WriteGroup({{Cp932("山田"), "M1", "", {}, 0, {}}, {Cp932("佐藤"), "M2", "", {}, 0, {}}});
    WriteFebruary({Entry("M1", 3, 9, "一"), Entry("M1", 4, 9, "二"), Entry("M2", 5, 9, "三")});
    EXPECT_GT(Run(), 0);
    const auto before = Tree(Out());
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Tree(Out()), before);
    const auto vdir = [&](const char* code) {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(Out() / "営業部" / "vdir" / code))
            names.insert(e.path().filename().string());
        return names;
    };
    EXPECT_EQ(vdir("M1").size(), 2u);

    // One event gone, the other member hidden: both disappear.
    WriteGroup({{Cp932("山田"), "M1", "", {}, 0, {}}, {Cp932("佐藤"), "M2", "", {}, 0x20, {}}});
    WriteFebruary({Entry("M1", 3, 9, "一"), Entry("M2", 5, 9, "三")});
    Run();
    EXPECT_EQ(vdir("M1").size(), 1u);
    EXPECT_FALSE(fs::exists(Out() / "営業部" / "M2.ics"));
    EXPECT_FALSE(fs::exists(Out() / "営業部" / "M2"));
    EXPECT_FALSE(fs::exists(Out() / "営業部" / "vdir" / "M2"));
    EXPECT_EQ(Tree(Out()).at("営業部/M1/2007-01.html"), before.at("営業部/M1/2007-01.html"));
}

// --watch keeps one output folder: what its first publish made is
// compared again later, and files changed or removed by others are
// written again.
TEST_F(Publish, ALaterPublishIntoTheSameFolderComparesWhatTheFirstMade)
{
    WriteGroup({{Cp932("山田"), "M1", "", {}, 0, {}}});
    WriteFebruary({Entry("M1", 3, 9, "一"), Entry("M1", 4, 9, "二")});
    OutputFolder out(m_dir.File("out"));
    EXPECT_GT(Run(out), 0);
    const auto before = Tree(Out());
    EXPECT_EQ(Run(out), 0);
    EXPECT_EQ(Tree(Out()), before);
    fs::remove(Out() / "営業部" / "M1" / "2007-02.html");
    test::WriteFileBytes((Out() / "営業部" / "M1.ics").string(), "changed");
    EXPECT_EQ(Run(out), 2);
    EXPECT_EQ(Tree(Out()).at("営業部/M1.ics").first, before.at("営業部/M1.ics").first);
    EXPECT_EQ(Tree(Out()).at("営業部/M1/2007-02.html").first, before.at("営業部/M1/2007-02.html").first);
    // A changed month reads and removes its own vdir entries only.
    WriteFebruary({Entry("M1", 3, 9, "一")});
    test::WriteFileBytes((Out() / "営業部" / "vdir" / "M1" / "200701-r0-M1.ics").string(), "January's");
    Run(out, std::set<int>{1});
    std::set<std::string> vdir;
    for (const auto& e : fs::directory_iterator(Out() / "営業部" / "vdir" / "M1"))
        vdir.insert(e.path().filename().string());
    EXPECT_EQ(vdir.size(), 2u);
    EXPECT_TRUE(vdir.count("200701-r0-M1.ics"));
}

TEST_F(Publish, MonthsThatLeftTheWindowAreRemovedAndOtherFilesStay)
{
    WriteGroup({{Cp932("山田"), "M1", "", {}, 0, {}}});
    WriteFebruary({Entry("M1", 3, 9, "一")});
    tillbrook::EntryRecord march = Entry("M1", 3, 9, "三月");
    march.start = tillbrook::At(2007, 3, 5, 9, 0);
    march.end = tillbrook::At(2007, 3, 5, 10, 0);
    tillbrook::WriteFile(m_dir.File("in/営業部200703.sch"), tillbrook::ScheduleFileBytes({march}));
    Run();
    for (const char* name : {"営業部/M1/notes.html", "営業部/M1/2007-02.html.bak", "営業部/week/about.html"})
        test::WriteFileBytes((Out() / name).string(), "someone else's");

    Run(std::nullopt, {2007, 3, 2});
    const auto tree = Tree(Out());
    EXPECT_FALSE(tree.count("営業部/M1/2007-01.html"));
    EXPECT_FALSE(tree.count("営業部/M1/2007-02.html"));
    EXPECT_TRUE(tree.count("営業部/M1/2007-03.html"));
    EXPECT_TRUE(tree.count("営業部/M1/2007-04.html"));
    EXPECT_FALSE(tree.count("営業部/week/2007-02-18.html"));
    EXPECT_TRUE(tree.count("営業部/week/2007-02-25.html"));
    for (const char* name : {"営業部/M1/notes.html", "営業部/M1/2007-02.html.bak", "営業部/week/about.html"})
        EXPECT_TRUE(tree.count(name)) << name;
    std::set<std::string> vdir;
    for (const auto& e : fs::directory_iterator(Out() / "営業部" / "vdir" / "M1"))
        vdir.insert(e.path().filename().string());
    ASSERT_EQ(vdir.size(), 1u);
    EXPECT_EQ(vdir.begin()->substr(0, 7), "200703-");
}

TEST_F(Publish, TheGroupWeekShowsVisibleMembersAndTheirSharedFreeSlots)
{
    WriteGroup({{Cp932("山田"), "M1", "", {}, 0, {}},
                {Cp932("隠れ"), "SECRET", "", {}, 0x20, {}},
                {Cp932("佐藤"), "M2", "", {}, 0, {}}});
    WriteFebruary(
        {Entry("M1", 5, 9, "<script>x</script>"), Entry("SECRET", 5, 10, "秘密"), Entry("M2", 5, 13, "会議")});
    Run();
    const fs::path weeks = Out() / "営業部" / "week";
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(weeks))
        names.insert(e.path().filename().string());
    // From the week of January 1st to the one of March 31st.
    EXPECT_EQ(names.size(), 13u);
    EXPECT_EQ(*names.begin(), "2006-12-31.html");
    EXPECT_EQ(*names.rbegin(), "2007-03-25.html");

    const auto tree = Tree(Out());
    const std::string& week = tree.at("営業部/week/2007-02-04.html").first;
    EXPECT_EQ(week.find("<script>"), std::string::npos);
    EXPECT_NE(week.find("&lt;script&gt;x&lt;/script&gt;</li>"), std::string::npos);
    EXPECT_EQ(week.find("秘密"), std::string::npos);
    EXPECT_EQ(week.find("隠れ"), std::string::npos);
    EXPECT_LT(week.find("山田"), week.find("佐藤"));
    // A phone lists the cells without the head row: each names its day.
    EXPECT_NE(week.find("<td data-day=\"2/5（月）\"><ul><li>"), std::string::npos);
    // The hidden member's hour does not take a slot away.
    EXPECT_NE(week.find("<li>10:00～13:00</li><li>14:00～18:00</li>"), std::string::npos);
    EXPECT_NE(week.find("rel=\"prev\" href=\"2007-01-28.html\""), std::string::npos);
    EXPECT_NE(week.find("rel=\"next\" href=\"2007-02-11.html\""), std::string::npos);
    const std::string& today = tree.at("営業部/week/2007-02-11.html").first;
    EXPECT_NE(today.find("class=\"sun today\""), std::string::npos);
    EXPECT_NE(today.find("建国記念の日"), std::string::npos);
    EXPECT_EQ(tree.at("営業部/week/2006-12-31.html").first.find("rel=\"prev\""), std::string::npos);
    EXPECT_NE(tree.at("営業部/index.html").first.find("href=\"week/2007-01-28.html\">2007年2月"), std::string::npos);

    // A changed March writes the weeks that touch March, no others.
    fs::remove_all(weeks);
    Run(std::set<int>{2});
    names.clear();
    for (const auto& e : fs::directory_iterator(weeks))
        names.insert(e.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"2007-02-25.html", "2007-03-04.html", "2007-03-11.html", "2007-03-18.html",
                                            "2007-03-25.html"}));
}

TEST_F(Publish, ALinkPlantedInTheTreeIsNotFollowed)
{
    WriteGroup({{Cp932("山田"), "M1", "", {}, 0, {}}});
    WriteFebruary({Entry("M1", 3, 9, "一")});
    fs::create_directories(Out() / "営業部");
    fs::create_directories(m_dir.File("elsewhere"));
    fs::create_directory_symlink(m_dir.File("elsewhere"), Out() / "営業部" / "M1");
    EXPECT_THROW(Run(), PublishError);
    EXPECT_TRUE(fs::is_empty(m_dir.File("elsewhere")));
}

// A folder that was not there shows up with all of its files at once, and
// one left unfinished by a failure leaves nothing behind, hidden or not.
TEST_F(Publish, NewFoldersShowUpWholeAndUnfinishedOnesLeaveNothing)
{
    {
        OutputFolder out(m_dir.File("out"));
        out.StartPublish();
        EXPECT_TRUE(out.Write("G/vdir/M1/a.ics", "a"));
        EXPECT_TRUE(out.Write("G/M1/2007-01.html", "b"));
        EXPECT_TRUE(out.Write("G/M1/2007-01.html", "c"));
        EXPECT_FALSE(fs::is_empty(Out()));
        EXPECT_FALSE(fs::exists(Out() / "G"));
        out.Finish();
        const auto tree = Tree(Out());
        EXPECT_EQ(tree.size(), 2u);
        EXPECT_EQ(tree.at("G/vdir/M1/a.ics").first, "a");
        EXPECT_EQ(tree.at("G/M1/2007-01.html").first, "c");

        // Into folders that are there: compared, and replaced when changed.
        out.StartPublish();
        EXPECT_FALSE(out.Write("G/vdir/M1/a.ics", "a"));
        EXPECT_TRUE(out.Write("G/vdir/M1/b.ics", "b"));
        EXPECT_TRUE(out.Write("G/M2/2007-01.html", "d"));
        EXPECT_TRUE(fs::exists(Out() / "G" / "vdir" / "M1" / "b.ics"));
        EXPECT_FALSE(fs::exists(Out() / "G" / "M2"));
        // Given up before its end: the new member's folder goes.
    }
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(Out()))
        names.insert(fs::relative(e.path(), Out()).string());
    EXPECT_EQ(names, (std::set<std::string>{"G", "G/vdir", "G/vdir/M1", "G/vdir/M1/a.ics", "G/vdir/M1/b.ics", "G/M1",
                                            "G/M1/2007-01.html"}));
}

// Writes past a size fail while it lives (EFBIG, as a full disk fails
// them), without the signal that would end the test.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_old{};
    void (*m_handler)(int);
};

// A write that fails names the file where readers find it, and once the
// publish is given up only what was published before is there: no
// temporary file, no folder half built.
TEST_F(Publish, AFailedWriteLeavesWhatWasPublishedAndNamesTheFile)
{
    OutputFolder out(m_dir.File("out"));
    out.StartPublish();
    out.Write("G/M1/2007-01.html", "old");
    out.Finish();
    const auto before = Tree(Out());

    const std::string root = Out().string();
    const auto failing = [&](const std::string& relative) {
        const FileSizeLimit limit(8);
        try {
            out.Write(relative, std::string(100, 'x'));
        } catch (const PublishError& ex) {
            return std::string(ex.what());
        }
        return std::string("no error");
    };
    for (const std::string relative : {"G/M1/2007-01.html", "G/M2/2007-01.html", "H/vdir/M1/a.ics"}) {
        SCOPED_TRACE(relative);
        out.StartPublish();
        out.Write("G/M3/2007-01.html", "new member, still hidden");
        const std::string message = failing(relative);
        EXPECT_EQ(message.rfind("ファイルを書けません「" + root + "/" + relative + "」: ", 0), 0u) << message;
        out.Abandon();
        EXPECT_EQ(Tree(Out()), before);
        for (const auto& entry : fs::recursive_directory_iterator(Out()))
            EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    }
    // The next publish builds the new folders again.
    out.StartPublish();
    out.Write("G/M3/2007-01.html", "new member");
    out.Finish();
    EXPECT_EQ(Tree(Out()).at("G/M3/2007-01.html").first, "new member");
}

} // namespace
