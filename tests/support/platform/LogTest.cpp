#include "support/platform/Log.h"
#include "common/IsolatedEnvironment.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <regex>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace mirovan::log {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::WriteFileBytes;

std::tm At(int month, int day, int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = 2007 - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

std::tm FebruaryFifth() { return At(2, 5, 9, 3, 7); }

// Runs body in a child process, which has a logging state of its own.
int InChild(const std::function<void()>& body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        body();
        ::_exit(0);
    }
    int status = -1;
    ::waitpid(pid, &status, 0);
    return status;
}

TEST(LogLine, HasTheDateWithoutYearAndOneDigitHoursBeforeTen)
{
    EXPECT_EQ(FormatLine(FebruaryFifth(), "CGroup::ReadFile() ex->m_cause=2"),
              "TavricApp(2/5 9:03:07):CGroup::ReadFile() ex->m_cause=2\n");
    EXPECT_EQ(FormatLine(At(12, 31, 23, 59, 58), ""), "TavricApp(12/31 23:59:58):\n");
    EXPECT_EQ(FormatLine(At(1, 1, 0, 0, 0), "x"), "TavricApp(1/1 0:00:00):x\n");
}

TEST(LogFile, IsNeverCreatedAndItsAbsenceHoldsForTheProcess)
{
    test::TempDir dir;
    const std::string path = dir.File("tavric.log");
    CLogWriter writer(path, FebruaryFifth);
    writer.Write("first");
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(writer.CurrentState(), CLogWriter::kDisabled);
    WriteFileBytes(path, "");
    writer.Write("after the look-up");
    EXPECT_EQ(ReadFileBytes(path), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1) << "no lock file either";
}

TEST(LogFile, ExistingFileGetsWholeLinesAppended)
{
    test::TempDir dir;
    const std::string path = dir.File("tavric.log");
    WriteFileBytes(path, "");
    CLogWriter writer(path, FebruaryFifth);
    writer.Write("CGroup::ReadFile() ex->m_cause=3");
    EXPECT_EQ(ReadFileBytes(path), "TavricApp(2/5 9:03:07):CGroup::ReadFile() ex->m_cause=3\n");
    writer.Write("second");
    EXPECT_EQ(ReadFileBytes(path),
              "TavricApp(2/5 9:03:07):CGroup::ReadFile() ex->m_cause=3\nTavricApp(2/5 9:03:07):second\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);

    // Removed after the look-up: the line is dropped, the file not made again.
    fs::remove(path);
    writer.Write("lost");
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(writer.CurrentState(), CLogWriter::kEnabled);
}

TEST(LogFile, WriteLogUsesTheConfiguredPathOncePerProcess)
{
    test::TempDir dir;
    const std::string path = dir.File("chosen.log");
    WriteFileBytes(path, "");
    test::IsolatedEnvironment environment(dir.Path());
    const int status = InChild([&] {
        environment.Set("TAVRIC_LOG", path);
        WriteLog("CGroup::ReadFile() ex->m_cause=", 11);
        environment.Set("TAVRIC_LOG", dir.File("elsewhere.log"));
        WriteLog("still here");
    });
    ASSERT_TRUE(WIFEXITED(status));
    const std::regex line(R"(TavricApp\(\d{1,2}/\d{1,2} \d{1,2}:\d\d:\d\d\):CGroup::ReadFile\(\) ex->m_cause=11
TavricApp\(\d{1,2}/\d{1,2} \d{1,2}:\d\d:\d\d\):still here
)");
    EXPECT_TRUE(std::regex_match(ReadFileBytes(path), line)) << ReadFileBytes(path);

    environment.Unset("TAVRIC_LOG");
    EXPECT_EQ(LogPath(), "/tmp/tavric.log");
    environment.Set("TAVRIC_LOG", path);
    EXPECT_EQ(LogPath(), path);
}

TEST(LogFile, WritersInSeveralProcessesAndThreadsNeverInterleave)
{
    test::TempDir dir;
    const std::string path = dir.File("tavric.log");
    WriteFileBytes(path, "");
    constexpr int kProcesses = 3, kThreads = 2, kLines = 200;
    const std::string filler(300, '=');
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            CLogWriter writer(path);
            std::vector<std::thread> threads;
            for (int t = 0; t < kThreads; ++t)
                threads.emplace_back([&, t] {
                    for (int i = 0; i < kLines; ++i) {
                        // Appended: GCC 12 in Release warns wrongly of "p" + std::string.
                        std::string line = "p";
                        line += std::to_string(p);
                        line += 't';
                        line += std::to_string(t);
                        line += '#';
                        line += std::to_string(i);
                        line += filler;
                        writer.Write(line);
                    }
                });
            for (auto& thread : threads)
                thread.join();
            ::_exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children)
        ::waitpid(pid, nullptr, 0);

    std::istringstream in(ReadFileBytes(path));
    const std::regex whole(R"(TavricApp\(\d{1,2}/\d{1,2} \d{1,2}:\d\d:\d\d\):p(\d)t(\d)#(\d+)=+)");
    std::set<std::string> seen;
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, whole)) << line;
        ASSERT_EQ(line.size() - line.find('='), filler.size());
        EXPECT_TRUE(seen.insert(m[1].str() + m[2].str() + "#" + m[3].str()).second);
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kProcesses * kThreads * kLines));
}

} // namespace
} // namespace mirovan::log
