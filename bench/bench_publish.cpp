// mirovan-publish's work on the largest group: 1,000 members and the
// window of 14 months, one of them the 100,000-entry benchmark month. A
// first publish writes everything; a publish with nothing changed compares
// and writes nothing; a change of the month file writes its pages and the
// feeds and vdir entries it touches.
//
// ext4 makes files slowly for minutes after many were removed (the run
// before removes its output), so measure on a fresh file system, e.g.:
//   truncate -s 12G /tmp/fs.img && mkfs.ext4 -q -N 3000000 /tmp/fs.img
//   mount -o loop /tmp/fs.img /mnt && TMPDIR=/mnt bench_publish
#include "BenchMonth.h"
#include "program/groupdata/Holidays.h"
#include "publish/GroupPublisher.h"
#include "publish/OutputFolder.h"
#include "tillbrook/TillbrookWriter.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace {

class SilentUi : public mirovan::IUserInterface {
public:
    void ShowMessage(const std::string&, mirovan::MessageIcon) override {}
};

// --members N --months N: a smaller run for quick comparisons; the
// entries per member stay those of the full run. --filled N: how many
// months of the window hold a benchmark month (14: 1.4 million entries).
int kMembers = 1000;
int kMonths = 14;
int kFilled = 1;
// The benchmark month: June 2007, the month of "today".
constexpr int kChangedIndex = 5;
int kEntries = 100000;
mirovan::calendar::MonthRange kWindow{2007, 1, 14};

std::string Folder() { return (std::filesystem::temp_directory_path() / "mirovan-bench-publish").string(); }

void WriteMonth(const std::string& folder, int year, int month, unsigned seed)
{
    std::mt19937 rng(seed);
    const auto entries =
        bench::BenchmarkEntries(rng, year, month, kEntries, static_cast<unsigned>(kMembers), bench::Length::Hour);
    char name[32];
    std::snprintf(name, sizeof name, "/big%d%02d.sch", year, month);
    tillbrook::WriteFile(folder + name, tillbrook::ScheduleFileBytes(entries));
}

const std::string& Group()
{
    static const std::string path = [] {
        const std::string folder = Folder() + "/in";
        std::filesystem::remove_all(Folder());
        std::filesystem::create_directories(folder);
        tillbrook::GroupRecord g;
        g.name = "big";
        for (int i = 0; i < kMembers; ++i) {
            std::string code = "M";
            code += std::to_string(i);
            g.members.push_back({"member", code, "", {}, 0, {}});
        }
        tillbrook::WriteFile(folder + "/big.group", tillbrook::GroupFileBytes(g));
        for (int n = 0; n < kFilled; ++n) {
            const int i = (std::min(kChangedIndex, kMonths - 1) + n) % kMonths;
            WriteMonth(folder, 2007 + i / 12, 1 + i % 12, 7 + static_cast<unsigned>(i));
        }
        return folder + "/big.group";
    }();
    return path;
}

struct Run {
    SilentUi ui;
    mirovan::CHolidayTables holidays;
    mirovan::publish::GroupPublisher publisher{Group(), ui, holidays};
    mirovan::publish::OutputFolder out{Folder() + "/out"};
    mirovan::publish::PublishSettings settings{kWindow, {2007, 6, 15}, {}};
    Run()
    {
        holidays.LoadHolidayText("");
        publisher.ReadGroup(false);
    }
};

void Publish(benchmark::State& state, bool fresh)
{
    for (auto _ : state) {
        state.PauseTiming();
        // Removed outside the timing, yet not free: ext4 passes over
        // inodes freed in the last minutes when it allocates, so a first
        // publish right after this removal costs more system time per
        // file than one into a tree that never held the output.
        if (fresh)
            std::filesystem::remove_all(Folder() + "/out");
        state.ResumeTiming();
        Run run;
        run.publisher.ReadMonths(kWindow, false);
        run.publisher.Write(run.out, run.settings, std::nullopt);
        state.counters["written"] = run.out.Written();
    }
}

void FirstPublish(benchmark::State& state) { Publish(state, true); }
BENCHMARK(FirstPublish)->Unit(benchmark::kMillisecond)->Iterations(1);

void PublishUnchanged(benchmark::State& state) { Publish(state, false); }
BENCHMARK(PublishUnchanged)->Unit(benchmark::kMillisecond)->Iterations(1);

void OneMonthChanged(benchmark::State& state)
{
    Run run;
    run.publisher.ReadMonths(kWindow, false);
    run.publisher.Write(run.out, run.settings, std::nullopt);
    unsigned seed = 1000;
    const int index = std::min(kChangedIndex, kMonths - 1);
    for (auto _ : state) {
        state.PauseTiming();
        WriteMonth(Folder() + "/in", 2007 + index / 12, 1 + index % 12, ++seed);
        run.out.StartPublish();
        state.ResumeTiming();
        run.publisher.ReadMonth(index, true);
        run.publisher.Write(run.out, run.settings, std::set<int>{index});
        state.counters["written"] = run.out.Written();
    }
}
BENCHMARK(OneMonthChanged)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char** argv)
{
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--members" || arg == "--months" || arg == "--filled") && i + 1 < argc) {
            const int value = std::max(1, std::atoi(argv[++i]));
            (arg == "--members" ? kMembers : arg == "--months" ? kMonths : kFilled) = value;
        } else {
            rest.push_back(argv[i]);
        }
    }
    kEntries = 100 * kMembers;
    kWindow.count = kMonths;
    kFilled = std::min(kFilled, kMonths);
    int count = static_cast<int>(rest.size());
    benchmark::Initialize(&count, rest.data());
    if (benchmark::ReportUnrecognizedArguments(count, rest.data()))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // A million files are not left behind in the temporary folder.
    std::filesystem::remove_all(Folder());
    return 0;
}
