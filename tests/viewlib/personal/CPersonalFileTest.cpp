#include "viewlib/personal/CPersonalFile.h"

#include "common/RecordingUi.h"
#include "common/TempDir.h"
#include "support/Archive.h"
#include "support/FileError.h"
#include "support/platform/Platform.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <signal.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace mirovan::view {
namespace {

namespace fs = std::filesystem;
using Records = std::vector<std::pair<uint32_t, std::string>>;

std::string U32(uint32_t v)
{
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

// A record whose text is short enough for the one-byte prefix.
std::string Record(uint32_t key, std::string_view text)
{
    return U32(key) + static_cast<char>(text.size()) + std::string(text);
}

// Passes the first bytes on, then fails as a full disk does.
class FailingSink : public IByteSink {
public:
    FailingSink(IByteSink& next, size_t budget) : next_(next), budget_(budget) {}
    void Write(const char* data, size_t size) override
    {
        const size_t n = std::min(size, budget_);
        next_.Write(data, n);
        budget_ -= n;
        if (n < size)
            throw CFileException(kFileDiskFull, ENOSPC, "full");
    }

private:
    IByteSink& next_;
    size_t budget_;
};

class PersonalFile : public ::testing::Test {
protected:
    void Write(const std::string& bytes) { test::WriteFileBytes(path, bytes); }
    std::string OnDisk() const { return test::ReadFileBytes(path); }

    Records RecordsOf(const CPersonalFile& file) const
    {
        Records out;
        for (size_t i = 0; i < file.RecordCount(); ++i)
            out.emplace_back(file.MonthKeyAt(i), file.MonthTextAt(i));
        return out;
    }
    Records RecordsOnDisk() const
    {
        test::RecordingUi quiet;
        CPersonalFile reader(quiet, CPersonalFile::Persistence::ReadOnly);
        reader.SetPath(path);
        EXPECT_TRUE(reader.ReadFile());
        return RecordsOf(reader);
    }
    std::string Day(CPersonalFile& file, uint32_t dayKey)
    {
        std::string text = "stale";
        EXPECT_EQ(file.GetDayText(dayKey, text), 1);
        return text;
    }
    size_t FilesInFolder() const
    {
        return static_cast<size_t>(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()));
    }

    test::TempDir dir;
    test::RecordingUi ui;
    std::string path = dir.File("calendar.mvp");
    CPersonalFile store{ui};

    void SetUp() override
    {
        store.SetPath(path);
        store.SetLockWait(std::chrono::milliseconds(0));
    }
    void TearDown() override { platform::SetFaultHook(nullptr); }
    static std::string FirstLine(const std::string& text) { return text.substr(0, text.find("\r\n")); }
};

TEST_F(PersonalFile, FoldingDaysIntoMonthTexts)
{
    // Day 31 alone: thirty empty days before it.
    store.SetDayText(20070131, "x");
    // February of a common year: a new month starts with 28 days.
    store.SetDayText(20070202, "y");
    store.StoreMonth();
    EXPECT_EQ(RecordsOf(store),
              (Records{{200701, std::string(30, '\t') + "x"}, {200702, "\ty" + std::string(26, '\t')}}));
    EXPECT_TRUE(store.IsFileModified());

    // An empty text committed into a month without a record stores nothing.
    store.SetDayText(20070305, "");
    store.StoreMonth();
    EXPECT_EQ(store.RecordCount(), 2u);
    EXPECT_EQ(store.RecordIndex(), -1);

    // Keys without a day or a month name no day.
    store.SetDayText(20070400, "x");
    store.SetDayText(7, "x");
    EXPECT_FALSE(store.IsMonthModified());
    EXPECT_EQ(Day(store, 20070400), "");
}

TEST_F(PersonalFile, SplittingMonthTexts)
{
    Write(U32(3) + Record(200701, "a\tb\tc\td\te") + Record(200702, "") + Record(200703, "a\t"));
    ASSERT_TRUE(store.ReadFile());
    EXPECT_EQ(store.LoadMonth(200702), 1);
    EXPECT_TRUE(store.DayTexts().empty());
    EXPECT_EQ(store.LoadMonth(200703), 1);
    EXPECT_EQ(store.DayTexts(), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(store.LoadMonth(200704), 0);
    EXPECT_EQ(store.DayTexts().size(), 30u);

    // Fewer fields than days: the rest is empty, and a later day pads.
    EXPECT_EQ(Day(store, 20070105), "e");
    EXPECT_EQ(Day(store, 20070106), "");
    EXPECT_EQ(Day(store, 20070131), "");
    store.SetDayText(20070120, "T");
    EXPECT_EQ(store.DayTexts().size(), 20u);
    store.StoreMonth();
    EXPECT_EQ(store.MonthTextAt(0), "a\tb\tc\td\te" + std::string(15, '\t') + "T");
}

TEST_F(PersonalFile, SavedEditsComeBackFromTheFile)
{
    store.SetDayText(20070103, "a");
    ASSERT_TRUE(store.WriteFile());
    store.SetDayText(20070105, "b");
    ASSERT_TRUE(store.WriteFile());
    EXPECT_EQ(RecordsOnDisk(), (Records{{200701, "\t\ta\t\tb" + std::string(26, '\t')}}));

    // A TAB typed into a day splits it: the later days shift by one.
    store.SetDayText(20070201, "p\tq");
    store.SetDayText(20070202, "r");
    store.SaveIfModified();
    CPersonalFile again(ui);
    again.SetPath(path);
    ASSERT_TRUE(again.ReadFile());
    EXPECT_EQ(Day(again, 20070201), "p");
    EXPECT_EQ(Day(again, 20070202), "q");
    EXPECT_EQ(Day(again, 20070203), "r");

    // Clearing the last day of a month removes its record.
    EXPECT_EQ(OnDisk().substr(0, 4), U32(2));
    again.SetDayText(20070103, "");
    again.SetDayText(20070105, "");
    again.SaveIfModified();
    EXPECT_EQ(OnDisk().substr(0, 4), U32(1));
    EXPECT_EQ(RecordsOnDisk(), (Records{{200702, "p\tq\tr" + std::string(26, '\t')}}));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PersonalFile, ExactBytesOfEveryPrefixForm)
{
    store.SetDayText(20070101, "abc");
    store.SetDayText(20070201, std::string(273, 'm'));      // 300 bytes with the TABs
    store.SetDayText(20070301, std::string(69970, '\x82')); // 70000 bytes
    ASSERT_TRUE(store.WriteFile());
    const std::string expected = U32(3) + U32(200701) +
                                 "\x21"
                                 "abc" +
                                 std::string(30, '\t') + U32(200702) + "\xFF\x2C\x01" + std::string(273, 'm') +
                                 std::string(27, '\t') + U32(200703) + std::string("\xFF\xFF\xFF\x70\x11\x01\x00", 7) +
                                 std::string(69970, '\x82') + std::string(30, '\t');
    EXPECT_EQ(OnDisk(), expected);
    EXPECT_FALSE(store.IsFileModified());
}

TEST_F(PersonalFile, RecordsAsTheFileHoldsThem)
{
    // UTF-16 form: read in the code page, written back in the plain form.
    Write(U32(1) + U32(200701) +
          std::string("\xFF\xFE\xFF\x04"
                      "\x88\x4E\x9A\x5B\x09\x00\x78\x00",
                      12));
    ASSERT_TRUE(store.ReadFile());
    EXPECT_EQ(Day(store, 20070101), "\x97\x5C\x92\xE8");
    EXPECT_EQ(Day(store, 20070102), "x");
    ASSERT_TRUE(store.WriteFile());
    EXPECT_EQ(OnDisk(), U32(1) + Record(200701, "\x97\x5C\x92\xE8\tx"));

    // A repeated month: the first record is the month's, the later one
    // goes back unchanged.
    Write(U32(3) + Record(200701, "first") + Record(200702, "other") + Record(200701, "second"));
    ASSERT_TRUE(store.ReadFile());
    EXPECT_EQ(Day(store, 20070101), "first");
    store.SetDayText(20070102, "z");
    ASSERT_TRUE(store.WriteFile());
    EXPECT_EQ(OnDisk(), U32(3) + Record(200701, "first\tz") + Record(200702, "other") + Record(200701, "second"));

    // A negative count reads nothing, whatever follows.
    Write(U32(0xFFFFFFFF) + Record(200701, "x"));
    EXPECT_TRUE(store.ReadFile());
    EXPECT_EQ(store.RecordCount(), 0u);

    Write(U32(0));
    EXPECT_TRUE(store.ReadFile());
    EXPECT_EQ(store.RecordCount(), 0u);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PersonalFile, ReadSavesUnsavedChangesFirstAndSavesOnlyWhenChanged)
{
    Write(U32(1) + Record(200701, "kept"));
    ASSERT_TRUE(store.ReadFile());
    store.SetDayText(20070102, "unsaved");
    ASSERT_TRUE(store.ReadFile());
    EXPECT_EQ(Day(store, 20070101), "kept");
    EXPECT_EQ(Day(store, 20070102), "unsaved");
    EXPECT_FALSE(store.IsFileModified());
    EXPECT_EQ(store.LoadedMonth(), 200701u);

    // Reading a day changes nothing: no save replaces someone else's file.
    Write(U32(0));
    store.SaveIfModified();
    EXPECT_EQ(OnDisk(), U32(0));
}

TEST_F(PersonalFile, DestructionSavesThePendingMonth)
{
    {
        CPersonalFile scoped(ui);
        scoped.SetPath(path);
        scoped.SetDayText(20070102, "memo");
    }
    EXPECT_EQ(RecordsOnDisk(), (Records{{200701, "\tmemo" + std::string(29, '\t')}}));
    {
        CPersonalFile exporter(ui, CPersonalFile::Persistence::ReadOnly);
        exporter.SetPath(path);
        exporter.SetDayText(20070102, "not saved");
        EXPECT_FALSE(exporter.WriteFile());
    }
    EXPECT_EQ(RecordsOnDisk().at(0).second.substr(0, 5), "\tmemo");
}

TEST_F(PersonalFile, MissingFileIsReportedAndCreatedEmpty)
{
    EXPECT_FALSE(store.ReadFile());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "ファイル「" + path + "」が開けません。\r\n空のファイルを作成します。");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(OnDisk(), U32(0));
    EXPECT_EQ(ui.waitDepth, 0);

    // Read-only: reported, never created.
    const std::string other = dir.File("other.mvp");
    CPersonalFile exporter(ui, CPersonalFile::Persistence::ReadOnly);
    exporter.SetPath(other);
    EXPECT_FALSE(exporter.ReadFile());
    EXPECT_EQ(ui.messages.back().text, "ファイル「" + other + "」が開けません。");
    EXPECT_FALSE(fs::exists(other));

    // In a missing folder the creation fails in turn.
    store.SetPath(dir.File("no/such/calendar.mvp"));
    EXPECT_FALSE(store.ReadFile());
    ASSERT_EQ(ui.messages.size(), 4u);
    EXPECT_EQ(FirstLine(ui.messages[3].text), "エラーが発生しました。");
    EXPECT_FALSE(fs::exists(dir.File("no")));
}

TEST_F(PersonalFile, OtherReadFailuresNameTheFile)
{
    Write(U32(1) + Record(200701, "x"));
    platform::InputFile otherCopy(path);
    ASSERT_TRUE(otherCopy.TryLockExclusive());
    EXPECT_FALSE(store.ReadFile());
    EXPECT_EQ(store.RecordCount(), 0u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(FirstLine(ui.messages[0].text), path + " へのｱｸｾｽ中に共有違反が発生しました。");

    store.SetPath(dir.Path().string());
    EXPECT_FALSE(store.ReadFile());
    EXPECT_EQ(FirstLine(ui.messages.back().text), dir.Path().string() + " へのｱｸｾｽは拒否されました。");
    EXPECT_EQ(ui.messages.back().icon, MessageIcon::Exclamation);
}

TEST_F(PersonalFile, AFileSystemThatCannotLockStillReadsAndSaves)
{
    Write(U32(1) + Record(200701, "x"));
    for (const int err : {ENOLCK, EOPNOTSUPP, EINVAL}) {
        platform::SetFaultHook(
            [err](platform::FileStep step, const std::string&) { return step == platform::FileStep::Lock ? err : 0; });
        EXPECT_TRUE(store.ReadFile());
        store.SetDayText(20070102, "saved " + std::to_string(err));
        EXPECT_TRUE(store.WriteFile());
        EXPECT_EQ(RecordsOnDisk(), (Records{{200701, "x\tsaved " + std::to_string(err)}}));
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PersonalFile, MessagesShowBytesThatAreNoTextVisibly)
{
    const std::string folder = dir.File("私の フォルダ😀\xFF");
    const std::string shown = dir.File("私の フォルダ😀\xEF\xBF\xBD");
    CPersonalFile reader(ui, CPersonalFile::Persistence::ReadOnly);
    reader.SetPath(folder + "/予定.mvp");
    EXPECT_FALSE(reader.ReadFile());
    fs::create_directory(folder);
    reader.SetPath(folder);
    EXPECT_FALSE(reader.ReadFile());
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, "ファイル「" + shown + "/予定.mvp」が開けません。");
    EXPECT_EQ(ui.messages[1].text, shown + " へのｱｸｾｽは拒否されました。");
}

TEST_F(PersonalFile, FileCutAnywhereKeepsTheRecordsBeforeTheCut)
{
    const std::vector<std::string> records = {Record(200701, "one"),
                                              U32(200702) + "\xFF\x2C\x01" + std::string(300, 'w'), Record(200703, "")};
    std::string whole = U32(3);
    std::vector<size_t> ends;
    for (const std::string& r : records)
        ends.push_back((whole += r).size());

    for (size_t cut = 0; cut < whole.size(); ++cut) {
        SCOPED_TRACE(cut);
        Write(whole.substr(0, cut));
        {
            CPersonalFile reader(ui);
            reader.SetPath(path);
            try {
                reader.ReadFile();
                ADD_FAILURE() << "a cut file read cleanly";
            } catch (const CArchiveException& ex) {
                EXPECT_EQ(ex.m_cause, kArchiveEndOfFile);
            }
            const auto complete = std::count_if(ends.begin(), ends.end(), [&](size_t end) { return end <= cut; });
            EXPECT_EQ(reader.RecordCount(), static_cast<size_t>(complete));
            EXPECT_FALSE(reader.IsFileModified());
        }
        // Nothing was saved over the damaged file on the way out.
        EXPECT_EQ(OnDisk(), whole.substr(0, cut));
    }
    EXPECT_TRUE(ui.messages.empty());

    // A count far beyond the file runs into its end.
    Write(U32(0x7FFFFFFF) + Record(200701, "x"));
    EXPECT_THROW(store.ReadFile(), CArchiveException);
    EXPECT_EQ(store.RecordCount(), 1u);
    Write(U32(1) + U32(200701) + std::string("\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 7) + "short");
    EXPECT_THROW(store.ReadFile(), CArchiveException);
}

TEST_F(PersonalFile, FailedWriteAtAnyByteLeavesTheOldFile)
{
    const std::string old = U32(1) + Record(199912, "old");
    store.SetDayText(20070101, "new");
    store.SetDayText(20070201, std::string(300, 'n'));
    MemorySink wanted;
    store.StoreMonth();
    store.WriteTo(wanted);

    for (size_t budget = 0; budget < wanted.Bytes().size(); ++budget) {
        SCOPED_TRACE(budget);
        Write(old);
        store.SetOutputFilter([budget](IByteSink& file) { return std::make_unique<FailingSink>(file, budget); });
        EXPECT_FALSE(store.WriteFile());
        EXPECT_EQ(ui.messages.back().text,
                  "エラーが発生しました。\r\n" + path + " へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。");
        EXPECT_EQ(OnDisk(), old);
        EXPECT_TRUE(store.IsFileModified());
        EXPECT_EQ(FilesInFolder(), 1u);
    }
    store.SetOutputFilter(nullptr);
    EXPECT_TRUE(store.WriteFile());
    EXPECT_EQ(OnDisk(), wanted.Bytes());
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(PersonalFile, UnwritableTargetsKeepTheStoreModified)
{
    const std::string old = U32(0);
    Write(old);
    store.SetDayText(20070101, "new");

    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_FALSE(store.WriteFile());
    EXPECT_EQ(OnDisk(), old);

    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    {
        platform::InputFile otherCopy(path);
        ASSERT_TRUE(otherCopy.TryLockExclusive());
        EXPECT_FALSE(store.WriteFile());
        EXPECT_EQ(OnDisk(), old);
    }
    store.SetPath(dir.File("missing/calendar.mvp"));
    EXPECT_FALSE(store.WriteFile());
    store.SetPath("");
    EXPECT_FALSE(store.WriteFile());
    EXPECT_EQ(ui.messages.size(), 4u);
    EXPECT_EQ(FilesInFolder(), 1u);
    EXPECT_TRUE(store.IsFileModified());

    // The next save tries again.
    store.SetPath(path);
    store.SaveIfModified();
    EXPECT_EQ(RecordsOnDisk().size(), 1u);
    EXPECT_FALSE(store.IsFileModified());
}

TEST_F(PersonalFile, AStoreThatCouldNotReadItsFileNeverWritesOverIt)
{
    std::string old = U32(72);
    for (uint32_t i = 0; i < 72; ++i)
        old += Record(200001 + (i / 12) * 100 + i % 12, "memo" + std::to_string(i));
    Write(old);

    // Held by another copy, then unreadable: each time the read fails, the
    // cause goes away and one memo is typed and saved on a change of month.
    {
        platform::InputFile otherCopy(path);
        ASSERT_TRUE(otherCopy.TryLockExclusive());
        EXPECT_FALSE(store.ReadFile());
    }
    store.SetDayText(20070105, "typed while locked out");
    store.LoadMonth(200702);
    ASSERT_TRUE(store.IsFileModified());
    store.SaveIfModified();

    platform::SetFaultHook(
        [](platform::FileStep step, const std::string&) { return step == platform::FileStep::Open ? EACCES : 0; });
    EXPECT_FALSE(store.ReadFile());
    EXPECT_EQ(FirstLine(ui.messages.back().text), path + " へのｱｸｾｽは拒否されました。");
    platform::SetFaultHook(nullptr);
    store.SetDayText(20070301, "typed while unreadable");
    // An editor closed without change on a day the store could not show.
    store.SetDayText(20000101, "");
    store.SaveIfModified();

    const Records onDisk = RecordsOnDisk();
    ASSERT_EQ(onDisk.size(), 74u);
    for (size_t i = 0; i < 72; ++i)
        EXPECT_EQ(onDisk[i].second, "memo" + std::to_string(i));
    EXPECT_EQ(onDisk[72], Records::value_type(200701, "\t\t\t\ttyped while locked out" + std::string(26, '\t')));
    EXPECT_EQ(onDisk[73].second.substr(0, 22), "typed while unreadable");
    // The store shows what the file holds now.
    EXPECT_EQ(Day(store, 20000101), "memo0");
}

TEST_F(PersonalFile, TwoCopiesKeepEachOthersMonthsAndTheLaterSaveWinsADay)
{
    Write(U32(1) + Record(200701, "shared"));
    CPersonalFile other(ui);
    other.SetPath(path);
    ASSERT_TRUE(store.ReadFile());
    ASSERT_TRUE(other.ReadFile());

    store.SetDayText(20071201, "december by A");
    store.SetDayText(20070101, "A's day one");
    ASSERT_TRUE(store.WriteFile());
    other.SetDayText(20070201, "february by B");
    other.SetDayText(20070101, "B's day one");
    ASSERT_TRUE(other.WriteFile());
    store.SetDayText(20080101, "january by A");
    // Emptying a day removes only that day, and the month when nothing is left.
    store.SetDayText(20071201, "");
    ASSERT_TRUE(store.WriteFile());

    EXPECT_EQ(RecordsOnDisk(), (Records{{200701, "B's day one"},
                                        {200702, "february by B" + std::string(27, '\t')},
                                        {200801, "january by A" + std::string(30, '\t')}}));
    EXPECT_EQ(Day(store, 20070101), "B's day one");
}

TEST_F(PersonalFile, LinksStayLinksAndAFolderWithoutRightsStillSaves)
{
    fs::create_directory(dir.Path() / "real");
    const std::string target = dir.File("real/calendar.mvp");
    test::WriteFileBytes(target, U32(1) + Record(200701, "old"));
    fs::remove(path);
    fs::create_symlink("real/calendar.mvp", path);
    ASSERT_TRUE(store.ReadFile());
    store.SetDayText(20070102, "new");
    ASSERT_TRUE(store.WriteFile());
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(RecordsOnDisk(), (Records{{200701, "old\tnew"}}));

    // The folder refuses new files: written in place, a copy kept meanwhile.
    store.SetSpareFolder(dir.File("spare"));
    platform::SetFaultHook([](platform::FileStep step, const std::string&) {
        return step == platform::FileStep::CreateBeside ? EACCES : 0;
    });
    store.SetDayText(20070103, "in place");
    EXPECT_TRUE(store.WriteFile());
    platform::SetFaultHook(nullptr);
    EXPECT_EQ(RecordsOnDisk(), (Records{{200701, "old\tnew\tin place"}}));
    EXPECT_TRUE(fs::is_empty(dir.Path() / "spare"));

    // A link to nothing is reported, never replaced by an empty file.
    const std::string dangling = dir.File("dangling.mvp");
    fs::create_symlink("nowhere.mvp", dangling);
    CPersonalFile linked(ui);
    linked.SetPath(dangling);
    EXPECT_FALSE(linked.ReadFile());
    EXPECT_EQ(ui.messages.back().text, "ファイル「" + dangling + "」が開けません。");
    linked.SetDayText(20070101, "x");
    EXPECT_FALSE(linked.WriteFile());
    EXPECT_EQ(FirstLine(ui.messages.back().text), "エラーが発生しました。");
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_FALSE(fs::exists(dir.File("nowhere.mvp")));
}

// Another process holding the file's lock until destroyed.
class LockInChild {
public:
    LockInChild(const std::string& path, bool shared)
    {
        int ready[2];
        if (::pipe(ready) != 0 || ::pipe(m_release) != 0)
            throw std::runtime_error("pipe");
        m_pid = ::fork();
        if (m_pid == 0) {
            platform::InputFile file(path);
            const bool locked = shared ? file.TryLockShared() : file.TryLockExclusive();
            char c = locked ? 'y' : 'n';
            (void)!::write(ready[1], &c, 1);
            (void)!::read(m_release[0], &c, 1);
            ::_exit(0);
        }
        char c = 0;
        m_locked = ::read(ready[0], &c, 1) == 1 && c == 'y';
        ::close(ready[0]);
        ::close(ready[1]);
    }
    ~LockInChild()
    {
        (void)!::write(m_release[1], "x", 1);
        ::waitpid(m_pid, nullptr, 0);
        ::close(m_release[0]);
        ::close(m_release[1]);
    }
    bool Locked() const { return m_locked; }

private:
    int m_release[2] = {-1, -1};
    pid_t m_pid = -1;
    bool m_locked = false;
};

TEST_F(PersonalFile, ReadersShareTheFileAndOnlyASaveHoldsItAlone)
{
    Write(U32(1) + Record(200701, "x"));
    {
        // An export reading the file: the program reads it too.
        LockInChild exporter(path, true);
        ASSERT_TRUE(exporter.Locked());
        EXPECT_TRUE(store.ReadFile());
        CPersonalFile secondExport(ui, CPersonalFile::Persistence::ReadOnly);
        secondExport.SetPath(path);
        EXPECT_TRUE(secondExport.ReadFile());
        EXPECT_TRUE(ui.messages.empty());
        // A save waits for the readers.
        store.SetDayText(20070102, "y");
        EXPECT_FALSE(store.WriteFile());
        EXPECT_EQ(ui.messages.size(), 1u);
    }
    EXPECT_TRUE(store.WriteFile());
    {
        // A save in progress keeps readers out, and a reader keeps it out.
        LockInChild saver(path, false);
        ASSERT_TRUE(saver.Locked());
        EXPECT_FALSE(store.ReadFile());
        EXPECT_EQ(FirstLine(ui.messages.back().text), path + " へのｱｸｾｽ中に共有違反が発生しました。");
    }
    platform::InputFile reader(path);
    ASSERT_TRUE(reader.TryLockShared());
    EXPECT_FALSE(LockInChild(path, false).Locked());
}

// A save in a child process killed with SIGKILL at the step of the file
// layer named; inPlace makes the folder refuse new files.
void KilledSave(const std::string& path, platform::FileStep at, bool inPlace, const std::string& spareFolder)
{
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        platform::SetFaultHook([at, inPlace](platform::FileStep step, const std::string&) {
            if (step == at)
                ::kill(::getpid(), SIGKILL);
            return inPlace && step == platform::FileStep::CreateBeside ? EACCES : 0;
        });
        test::RecordingUi quiet;
        CPersonalFile mine(quiet);
        mine.SetPath(path);
        mine.SetSpareFolder(spareFolder);
        mine.ReadFile();
        mine.SetDayText(20070101, "typed before the crash");
        mine.WriteFile();
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
}

size_t Entries(const fs::path& folder, const std::string& prefix)
{
    size_t n = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        n += entry.path().filename().string().rfind(prefix, 0) == 0;
    return n;
}

void MakeOld(const fs::path& file)
{
    fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::hours(25));
}

TEST_F(PersonalFile, LeftoversOfKilledSavesGoAtTheNextSaveOnceADayOld)
{
    Write(U32(1) + Record(200701, "x"));
    for (int i = 0; i < 5; ++i)
        KilledSave(path, platform::FileStep::Write, false, dir.File("spare"));
    EXPECT_EQ(Entries(dir.Path(), ".mirovan-"), 5u);
    EXPECT_EQ(RecordsOnDisk(), (Records{{200701, "x"}}));
    int aged = 0;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        if (entry.path().filename().string().rfind(".mirovan-", 0) == 0 && aged++ < 4)
            MakeOld(entry.path());
    // Not of our naming: stays whatever its age.
    test::WriteFileBytes(dir.File(".mirovan-notes.txt"), "mine");
    MakeOld(dir.File(".mirovan-notes.txt"));

    ASSERT_TRUE(store.ReadFile());
    store.SetDayText(20070102, "y");
    ASSERT_TRUE(store.WriteFile());
    // The one of today may still be a save in progress.
    EXPECT_EQ(Entries(dir.Path(), ".mirovan-"), 2u);
    EXPECT_TRUE(fs::exists(dir.File(".mirovan-notes.txt")));
}

TEST_F(PersonalFile, ASpareCopyThatIsTheOnlyWholeCopyLeftIsOfferedBack)
{
    std::string whole = U32(72);
    for (uint32_t i = 0; i < 72; ++i)
        whole += Record(200001 + (i / 12) * 100 + i % 12, "memo" + std::to_string(i));
    Write(whole);
    const fs::path spare = dir.Path() / "spare";
    // Killed while writing in place: the file is cut, the copy complete.
    KilledSave(path, platform::FileStep::Write, true, spare.string());
    EXPECT_EQ(OnDisk(), "");
    ASSERT_EQ(Entries(spare, ".mirovan-old-"), 2u);

    RecoverSpareCopies(ui, spare.string());
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].question, Question::RestoreSpareCopy);
    EXPECT_EQ(ui.questions[0].arguments[0], path);
    EXPECT_EQ(OnDisk(), "");
    ui.yes = true;
    RecoverSpareCopies(ui, spare.string());
    EXPECT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(OnDisk(), whole);
    EXPECT_EQ(Entries(spare, ".mirovan-old-"), 0u);
    EXPECT_EQ(Entries(dir.Path(), "calendar.mvp.damaged-"), 1u);
    EXPECT_TRUE(ui.messages.empty());

    // Killed once the file was whole again: the copy is not offered, and
    // goes once a day old.
    KilledSave(path, platform::FileStep::Write, true, spare.string());
    Write(whole);
    RecoverSpareCopies(ui, spare.string());
    EXPECT_EQ(Entries(spare, ".mirovan-old-"), 2u);
    for (const auto& entry : fs::directory_iterator(spare))
        MakeOld(entry.path());
    RecoverSpareCopies(ui, spare.string());
    EXPECT_EQ(Entries(spare, ".mirovan-old-"), 0u);
    EXPECT_EQ(ui.questions.size(), 2u);
}

TEST_F(PersonalFile, ASharedFileKeepsItsOwnerAndGroup)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only the superuser can make a file of another user's";
    Write(U32(1) + Record(200701, "x"));
    ASSERT_EQ(::chown(path.c_str(), 12345, 12346), 0);
    const auto owner = [&] {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return std::make_pair(st.st_uid, st.st_gid);
    };
    ASSERT_TRUE(store.ReadFile());
    store.SetDayText(20070102, "y");
    ASSERT_TRUE(store.WriteFile());
    EXPECT_EQ(owner(), std::make_pair(uid_t{12345}, gid_t{12346}));

    // Where the system does not allow it, the file is written in place.
    store.SetSpareFolder(dir.File("spare"));
    platform::SetFaultHook(
        [](platform::FileStep step, const std::string&) { return step == platform::FileStep::KeepOwner ? EPERM : 0; });
    const auto mode = fs::status(path).permissions();
    struct stat before {};
    ::stat(path.c_str(), &before);
    store.SetDayText(20070103, "z");
    ASSERT_TRUE(store.WriteFile());
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(fs::status(path).permissions(), mode);
    EXPECT_EQ(owner(), std::make_pair(uid_t{12345}, gid_t{12346}));
    EXPECT_EQ(RecordsOnDisk(), (Records{{200701, "x\ty\tz"}}));
    EXPECT_EQ(FilesInFolder(), 2u); // the file and the empty spare folder
}

TEST_F(PersonalFile, ALinkThatAppearsAfterTheReadIsFollowedOnlyWhenTheUserSaysSo)
{
    Write(U32(1) + Record(200701, "x"));
    ASSERT_TRUE(store.ReadFile());
    const std::string elsewhere = dir.File("elsewhere.mvp");
    test::WriteFileBytes(elsewhere, U32(0));
    fs::remove(path);
    fs::create_symlink(elsewhere, path);

    store.SetDayText(20070102, "y");
    EXPECT_FALSE(store.WriteFile());
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].question, Question::SaveThroughNewLink);
    EXPECT_EQ(ui.questions[0].arguments, (std::vector<std::string>{path, elsewhere}));
    EXPECT_EQ(test::ReadFileBytes(elsewhere), U32(0));
    EXPECT_TRUE(store.IsFileModified());

    ui.yes = true;
    EXPECT_TRUE(store.WriteFile());
    EXPECT_TRUE(fs::is_symlink(path));
    // The file there is shorter than the one read: the whole store is written.
    EXPECT_EQ(RecordsOnDisk(), (Records{{200701, "x\ty"}}));
    // Asked once: the link is the user's now.
    store.SetDayText(20070103, "z");
    EXPECT_TRUE(store.WriteFile());
    EXPECT_EQ(ui.questions.size(), 2u);
}

// Two processes save random memos on days of their own while saves fail at
// random; every memo of a save that succeeded must be in the file at the end.
TEST_F(PersonalFile, EverySuccessfulSaveOfTwoProcessesSurvivesInjectedFaults)
{
    Write(U32(0));
    constexpr int kCopies = 2;
    pid_t children[kCopies];
    for (int copy = 0; copy < kCopies; ++copy) {
        children[copy] = ::fork();
        ASSERT_GE(children[copy], 0);
        if (children[copy] != 0)
            continue;
        ::alarm(60); // a hang ends the child, and the test fails
        std::mt19937 random(static_cast<unsigned>(copy + 1));
        // The lock itself stays real: without it two savers may interleave.
        platform::SetFaultHook([&random](platform::FileStep step, const std::string&) {
            return step != platform::FileStep::Lock && random() % 8 == 0 ? ENOSPC : 0;
        });
        test::RecordingUi quiet;
        std::set<uint32_t> pending;
        std::set<uint32_t> saved;
        {
            CPersonalFile mine(quiet);
            mine.SetPath(path);
            mine.SetLockWait(std::chrono::seconds(5));
            try {
                mine.ReadFile();
            } catch (...) {
            }
            for (int i = 0; i < 60; ++i) {
                const uint32_t day =
                    static_cast<uint32_t>((2000 + copy * 100 + static_cast<int>(random() % 50)) * 10000 +
                                          (1 + random() % 12) * 100 + 1 + random() % 28);
                mine.SetDayText(day, "copy" + std::to_string(copy) + "-" + std::to_string(day));
                pending.insert(day);
                if (mine.WriteFile()) {
                    saved.insert(pending.begin(), pending.end());
                    pending.clear();
                }
            }
            platform::SetFaultHook(nullptr);
            mine.SetOutputFilter(nullptr);
        }
        std::string list;
        for (const uint32_t day : saved)
            list += std::to_string(day) + "\n";
        test::WriteFileBytes(dir.File("saved" + std::to_string(copy)), list);
        ::_exit(0);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
    }

    test::RecordingUi quiet;
    CPersonalFile reader(quiet, CPersonalFile::Persistence::ReadOnly);
    reader.SetPath(path);
    ASSERT_TRUE(reader.ReadFile());
    size_t checked = 0;
    for (int copy = 0; copy < kCopies; ++copy) {
        std::istringstream list(test::ReadFileBytes(dir.File("saved" + std::to_string(copy))));
        for (uint32_t day; list >> day; ++checked)
            EXPECT_EQ(Day(reader, day), "copy" + std::to_string(copy) + "-" + std::to_string(day)) << day;
    }
    EXPECT_GT(checked, 20u);
}

// Answers the question at exit from a script: retry first, then elsewhere.
class AnsweringUi : public test::RecordingUi {
public:
    FailedSaveChoice AskAboutFailedSave(const FailedSave& failure, std::string& otherPath) override
    {
        questions.push_back(failure.text);
        otherPath = elsewhere;
        return questions.size() == 1 ? FailedSaveChoice::Retry : FailedSaveChoice::SaveElsewhere;
    }
    std::vector<std::string> questions;
    std::string elsewhere;
};

TEST_F(PersonalFile, AFailedSaveAtExitAsksBeforeTheMemosAreDropped)
{
    Write(U32(1) + Record(200701, "old"));
    fs::permissions(path, fs::perms::owner_read);
    AnsweringUi answering;
    answering.elsewhere = dir.File("elsewhere.mvp");
    {
        CPersonalFile closing(answering);
        closing.SetPath(path);
        ASSERT_TRUE(closing.ReadFile());
        closing.SetDayText(20070102, "typed just before quitting");
    }
    ASSERT_EQ(answering.questions.size(), 2u);
    EXPECT_EQ(answering.questions[0], "エラーが発生しました。\r\n" + path + " へのｱｸｾｽは拒否されました。");
    EXPECT_EQ(OnDisk(), U32(1) + Record(200701, "old"));
    path = answering.elsewhere;
    EXPECT_EQ(RecordsOnDisk(), (Records{{200701, "old\ttyped just before quitting"}}));
}

// Answers with a fixed list; records where another file's dialog starts.
class ScriptedChoices : public test::RecordingUi {
public:
    FailedSaveChoice AskAboutFailedSave(const FailedSave& failure, std::string& otherPath) override
    {
        folders.push_back(failure.startFolder);
        offeredCancel = failure.mayCancel;
        otherPath = elsewhere;
        // Past the script: drop, so that a wrong loop ends.
        return asked < choices.size() ? choices[asked++] : (++asked, FailedSaveChoice::Drop);
    }
    std::vector<FailedSaveChoice> choices;
    size_t asked = 0;
    std::vector<std::string> folders;
    bool offeredCancel = false;
    std::string elsewhere;
};

TEST_F(PersonalFile, GoingBackFromTheQuestionBeforeClosingKeepsTheStoreAndItsFile)
{
    Write(U32(1) + Record(200701, "old"));
    fs::permissions(path, fs::perms::owner_read);
    ScriptedChoices answers;
    // Another file that cannot be written either, then back to the window.
    answers.elsewhere = dir.File("missing folder/elsewhere.mvp");
    answers.choices = {FailedSaveChoice::SaveElsewhere, FailedSaveChoice::Cancel, FailedSaveChoice::Drop};
    {
        CPersonalFile closing(answers);
        closing.SetPath(path);
        ASSERT_TRUE(closing.ReadFile());
        closing.SetDayText(20070102, "typed");
        EXPECT_FALSE(closing.SaveBeforeClosing(true));
        EXPECT_TRUE(answers.offeredCancel);
        EXPECT_EQ(closing.Path(), path);
        EXPECT_TRUE(closing.IsFileModified());
        EXPECT_EQ(answers.folders, (std::vector<std::string>{dir.Path().string(), dir.Path().string()}));
        // The destructor cannot go back; dropping there is the user's word.
    }
    EXPECT_FALSE(answers.offeredCancel);
    EXPECT_EQ(answers.asked, 3u);
    EXPECT_EQ(OnDisk(), U32(1) + Record(200701, "old"));
}

TEST_F(PersonalFile, DroppingBeforeClosingIsNotAskedAgain)
{
    Write(U32(1) + Record(200701, "old"));
    fs::permissions(path, fs::perms::owner_read);
    ScriptedChoices answers;
    answers.choices = {FailedSaveChoice::Drop};
    {
        CPersonalFile closing(answers);
        closing.SetPath(path);
        ASSERT_TRUE(closing.ReadFile());
        closing.SetDayText(20070102, "typed");
        EXPECT_TRUE(closing.SaveBeforeClosing(true));
        EXPECT_FALSE(closing.IsFileModified());
    }
    EXPECT_EQ(answers.asked, 1u);
}

TEST_F(PersonalFile, ReadingAgainAfterAFailedSaveKeepsTheMemosUnlessTheUserDropsThem)
{
    Write(U32(1) + Record(200701, "old"));
    const std::string other = dir.File("other.mvp");
    test::WriteFileBytes(other, U32(1) + Record(200702, "other file"));
    ScriptedChoices answers;
    CPersonalFile memos(answers);
    memos.SetPath(path);
    ASSERT_TRUE(memos.ReadFile());
    memos.SetDayText(20070102, "typed");
    fs::permissions(path, fs::perms::owner_read);
    EXPECT_FALSE(memos.WriteFile());

    // Going back reads nothing: the memo is still shown and still to save.
    answers.choices = {FailedSaveChoice::Cancel};
    EXPECT_FALSE(memos.ReadFile());
    EXPECT_TRUE(answers.offeredCancel);
    EXPECT_EQ(Day(memos, 20070102), "typed");
    EXPECT_TRUE(memos.IsFileModified());

    // Another file named before the read, as opening one does: the memo
    // goes to its own file once that can be written, without a question.
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    memos.SetPath(other);
    EXPECT_TRUE(memos.ReadFile());
    EXPECT_EQ(answers.asked, 1u);
    EXPECT_EQ(RecordsOnDisk(), (Records{{200701, "old\ttyped"}}));
    EXPECT_EQ(Day(memos, 20070201), "other file");
    EXPECT_EQ(memos.Path(), other);

    // Only the user's word drops a memo.
    memos.SetDayText(20070203, "dropped");
    fs::permissions(other, fs::perms::owner_read);
    answers.choices.push_back(FailedSaveChoice::Drop);
    EXPECT_TRUE(memos.ReadFile());
    EXPECT_EQ(answers.asked, 2u);
    EXPECT_EQ(Day(memos, 20070203), "");
}

TEST_F(PersonalFile, AFailedReadLeavesTheMemosUneditableUntilAReadSucceeds)
{
    Write(U32(1) + Record(200701, "on disk"));
    {
        platform::InputFile otherCopy(path);
        ASSERT_TRUE(otherCopy.TryLockExclusive());
        EXPECT_FALSE(store.ReadFile());
        EXPECT_FALSE(store.IsEditable());
        EXPECT_NE(ui.messages.back().text.find("(F5)"), std::string::npos);
    }
    EXPECT_TRUE(store.ReadFile());
    EXPECT_TRUE(store.IsEditable());
    EXPECT_EQ(Day(store, 20070101), "on disk");
    // A missing file hides nothing.
    store.SetPath(dir.File("new.mvp"));
    EXPECT_FALSE(store.ReadFile());
    EXPECT_TRUE(store.IsEditable());
}

// 73 months of memos, one typed after the read, and the file changed on
// disk before the save in every way that loses records.
TEST_F(PersonalFile, ASaveIntoACutDamagedOrShrunkFileKeepsEveryMemoAndSaysSoOnce)
{
    std::string whole = U32(73);
    for (uint32_t i = 0; i < 73; ++i)
        whole += Record(200001 + (i / 12) * 100 + i % 12, "memo" + std::to_string(i));
    const std::vector<std::pair<const char*, std::string>> faults = {
        {"empty", ""},
        {"count only", whole.substr(0, 4)},
        {"cut in half", whole.substr(0, whole.size() / 2)},
        {"last byte gone", whole.substr(0, whole.size() - 1)},
        {"fewer records", U32(33) + whole.substr(4, 10 * 10 + 23 * 11)},
        {"count broken", U32(0xFFFFFFFF) + whole.substr(4)},
    };
    for (const auto& [name, bytes] : faults) {
        SCOPED_TRACE(name);
        path = dir.File((std::string(name) + ".mvp").c_str());
        Write(whole);
        test::RecordingUi told;
        CPersonalFile memos(told);
        memos.SetPath(path);
        ASSERT_TRUE(memos.ReadFile());
        memos.SetDayText(20080105, "new");
        Write(bytes);
        ASSERT_TRUE(memos.WriteFile());

        const Records onDisk = RecordsOnDisk();
        ASSERT_EQ(onDisk.size(), 74u);
        std::set<std::string> texts;
        for (const auto& record : onDisk)
            texts.insert(record.second);
        for (uint32_t i = 0; i < 73; ++i)
            EXPECT_EQ(texts.count("memo" + std::to_string(i)), 1u) << i;
        ASSERT_EQ(told.messages.size(), 1u);
        EXPECT_NE(told.messages[0].text.find("短くなっているか、壊れていました"), std::string::npos);
        // The damaged file is kept as it was.
        const auto kept =
            std::find_if(fs::directory_iterator(dir.Path()), fs::directory_iterator(), [&](const auto& e) {
                return e.path().filename().string().rfind(std::string(name) + ".mvp.damaged", 0) == 0;
            });
        ASSERT_NE(kept, fs::directory_iterator());
        EXPECT_EQ(test::ReadFileBytes(kept->path().string()), bytes);

        // Whole again: the next save merges as usual, and says nothing.
        memos.SetDayText(20080106, "newer");
        ASSERT_TRUE(memos.WriteFile());
        EXPECT_EQ(told.messages.size(), 1u);
        EXPECT_EQ(RecordsOnDisk().size(), 74u);
    }
}

TEST_F(PersonalFile, AFileReplacedByAnotherWholeFileIsMergedIntoAndTheUserTold)
{
    Write(U32(2) + Record(200701, "mine") + Record(200702, "february"));
    ASSERT_TRUE(store.ReadFile());
    store.SetDayText(20070101, "typed");
    Write(U32(2) + Record(200701, "theirs") + Record(200703, "a longer memo of theirs"));
    ASSERT_TRUE(store.WriteFile());
    // The later save wins the day; the rest is the file as it is now.
    EXPECT_EQ(RecordsOnDisk(), (Records{{200701, "typed"}, {200703, "a longer memo of theirs"}}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("書き換えられていました"), std::string::npos);

    // Unchanged on disk since: nothing to say.
    store.SetDayText(20070102, "more");
    ASSERT_TRUE(store.WriteFile());
    EXPECT_EQ(ui.messages.size(), 1u);
}

} // namespace
} // namespace mirovan::view
