#include "support/platform/Platform.h"

#include "common/TempDir.h"
#include "support/FileError.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace mirovan::platform {
namespace {

namespace fs = std::filesystem;

int OpenFailureCause(const std::string& path)
{
    try {
        InputFile file(path);
        char buffer[64];
        size_t total = 0;
        while (const size_t n = file.ReadSome(buffer, sizeof buffer)) {
            total += n;
            if (total > 1 << 20)
                return -1; // read more than any size
        }
        return kFileNone;
    } catch (const CFileException& ex) {
        return ex.m_cause;
    }
}

// Opens the FIFO's writing end as soon as a reader waits in open, so that a
// reader that blocks there comes back instead of hanging the test.
class FifoWatchdog {
public:
    explicit FifoWatchdog(std::string path) : m_path(std::move(path)), m_thread([this] { Run(); }) {}
    ~FifoWatchdog()
    {
        m_stop = true;
        m_thread.join();
    }

private:
    void Run()
    {
        while (!m_stop) {
            const int fd = ::open(m_path.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                ::close(fd);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    std::string m_path;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

TEST(InputFile, RefusesWhatIsNotARegularFileWithoutWaiting)
{
    test::TempDir dir;
    const std::string fifo = dir.File("group.group");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    {
        FifoWatchdog watchdog(fifo);
        EXPECT_EQ(OpenFailureCause(fifo), kFileInvalid);
    }
    // A link to an endless device is refused too, not read until memory runs out.
    fs::create_symlink("/dev/zero", dir.File("sales200702.sch"));
    EXPECT_EQ(OpenFailureCause(dir.File("sales200702.sch")), kFileInvalid);
    EXPECT_EQ(OpenFailureCause(dir.Path().string()), kFileAccessDenied);
    EXPECT_EQ(OpenFailureCause(dir.File("missing")), kFileNotFound);
}

TEST(FollowLinks, NamesTheTargetAndSeesDanglingLinks)
{
    test::TempDir dir;
    test::WriteFileBytes(dir.File("real.mvp"), "x");
    fs::create_directory(dir.Path() / "sub");
    fs::create_symlink("../real.mvp", dir.Path() / "sub/link.mvp");
    fs::create_symlink(dir.File("sub/link.mvp"), dir.File("second.mvp"));
    const LinkTarget chained = FollowLinks(dir.File("second.mvp"));
    EXPECT_TRUE(chained.isLink);
    EXPECT_FALSE(chained.dangling);
    EXPECT_EQ(fs::canonical(chained.path), fs::canonical(dir.File("real.mvp")));

    fs::create_symlink("gone.mvp", dir.File("dangling.mvp"));
    EXPECT_TRUE(FollowLinks(dir.File("dangling.mvp")).dangling);
    EXPECT_FALSE(FollowLinks(dir.File("missing.mvp")).dangling);
    EXPECT_FALSE(FollowLinks(dir.File("real.mvp")).isLink);
}

void WriteOutput(const std::string& path, const std::string& bytes)
{
    OutputFile file(path);
    file.Write(bytes.data(), bytes.size());
    file.Commit();
}

int OutputFailureCause(const std::string& path, const std::string& bytes)
{
    try {
        WriteOutput(path, bytes);
        return kFileNone;
    } catch (const CFileException& ex) {
        EXPECT_EQ(ex.m_path, path);
        return ex.m_cause;
    }
}

TEST(OutputFile, WritesThroughLinksAndIntoDevicesWithoutReplacingThem)
{
    test::TempDir dir;
    fs::create_directory(dir.Path() / "real");
    test::WriteFileBytes(dir.File("real/cal.ics"), "old");
    fs::create_symlink("real/cal.ics", dir.File("link.ics"));
    WriteOutput(dir.File("link.ics"), "new");
    EXPECT_TRUE(fs::is_symlink(dir.File("link.ics")));
    EXPECT_EQ(test::ReadFileBytes(dir.File("real/cal.ics")), "new");
    // The new file is made beside the target, and nothing is left there.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path() / "real"), fs::directory_iterator()), 1);

    fs::create_symlink("real/made.ics", dir.File("dangling.ics"));
    WriteOutput(dir.File("dangling.ics"), "made");
    EXPECT_TRUE(fs::is_symlink(dir.File("dangling.ics")));
    EXPECT_EQ(test::ReadFileBytes(dir.File("real/made.ics")), "made");

    WriteOutput("/dev/null", "gone");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(OutputFailureCause("/dev/full", "x"), kFileDiskFull);
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    fs::create_symlink("/dev/full", dir.File("full.ics"));
    EXPECT_EQ(OutputFailureCause(dir.File("full.ics"), "x"), kFileDiskFull);
    EXPECT_TRUE(fs::is_symlink(dir.File("full.ics")));

    EXPECT_EQ(OutputFailureCause(dir.File("real"), "x"), kFileAccessDenied);
    EXPECT_TRUE(fs::is_directory(dir.File("real")));

    const std::string fifo = dir.File("pipe.ics");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string read;
    std::thread reader([&] { read = test::ReadFileBytes(fifo); });
    WriteOutput(fifo, "piped");
    reader.join();
    EXPECT_EQ(read, "piped");
    EXPECT_TRUE(fs::is_fifo(fifo));
}

class Faults : public ::testing::Test {
protected:
    void TearDown() override { SetFaultHook(nullptr); }
    void Fail(FileStep failing, int err)
    {
        SetFaultHook([failing, err](FileStep step, const std::string&) { return step == failing ? err : 0; });
    }
    void Replace(UnwritableFolder unwritable, const std::string& bytes)
    {
        ReplacingFile file(target, unwritable, dir.File("spare"));
        file.Write(bytes.data(), bytes.size());
        file.Commit();
    }
    size_t SpareFiles() const
    {
        return fs::exists(dir.Path() / "spare")
                   ? static_cast<size_t>(
                         std::distance(fs::directory_iterator(dir.Path() / "spare"), fs::directory_iterator()))
                   : 0;
    }

    test::TempDir dir;
    std::string target = dir.File("calendar.mvp");
};

TEST_F(Faults, AFolderWithoutWriteRightsIsWrittenInPlaceOnlyWhenAllowed)
{
    test::WriteFileBytes(target, "old contents");
    Fail(FileStep::CreateBeside, EACCES);
    EXPECT_THROW(Replace(UnwritableFolder::Fail, "new"), CFileException);
    EXPECT_EQ(test::ReadFileBytes(target), "old contents");

    Replace(UnwritableFolder::WriteInPlace, "new");
    EXPECT_EQ(test::ReadFileBytes(target), "new");
    EXPECT_EQ(SpareFiles(), 0u);

    // Failing part way puts the old contents back.
    SetFaultHook([](FileStep step, const std::string&) {
        static int writes = 0;
        if (step == FileStep::CreateBeside)
            return EACCES;
        return step == FileStep::Write && writes++ == 0 ? ENOSPC : 0;
    });
    try {
        Replace(UnwritableFolder::WriteInPlace, "much longer new contents");
        ADD_FAILURE() << "the write went through";
    } catch (const CFileException& ex) {
        EXPECT_EQ(ex.m_cause, kFileDiskFull);
    }
    EXPECT_EQ(test::ReadFileBytes(target), "new");
    EXPECT_EQ(SpareFiles(), 0u);
}

TEST_F(Faults, ANewFileDoesNotReplaceOneCreatedMeanwhile)
{
    ReplacingFile file(target);
    file.Write("mine", 4);
    test::WriteFileBytes(target, "theirs");
    try {
        file.Commit();
        ADD_FAILURE() << "replaced a file created meanwhile";
    } catch (const CFileException& ex) {
        EXPECT_EQ(ex.m_cause, kFileSharingViolation);
    }
    EXPECT_EQ(test::ReadFileBytes(target), "theirs");
}

TEST_F(Faults, OnlyALockHeldElsewhereKeepsALockFromUs)
{
    test::WriteFileBytes(target, "memos");
    const std::string log = dir.File("tavric.log");
    test::WriteFileBytes(log, "");
    // A child has a log state of its own, bound to this log.
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::setenv("TAVRIC_LOG", log.c_str(), 1);
        bool ok = true;
        for (const int err : {ENOLCK, EOPNOTSUPP, EINVAL}) {
            Fail(FileStep::Lock, err);
            InputFile file(target);
            ok = ok && file.TryLockExclusive() && file.LockShared(std::chrono::milliseconds(0));
            ok = ok && ProcessLock(dir.File("user.reg.lock"), std::chrono::milliseconds(0)).Held();
        }
        Fail(FileStep::Lock, EWOULDBLOCK);
        InputFile file(target);
        ok = ok && !file.TryLockExclusive() && !file.LockShared(std::chrono::milliseconds(20));
        ok = ok && !ProcessLock(dir.File("user.reg.lock"), std::chrono::milliseconds(20)).Held();
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // One line per file, not one per attempt.
    const std::string lines = test::ReadFileBytes(log);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 2) << lines;
    EXPECT_NE(lines.find("no lock on " + target), std::string::npos) << lines;
}

} // namespace
} // namespace mirovan::platform
