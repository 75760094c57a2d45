// Loading a large month file, the link pass and one member's day lists,
// and a group file of 1,000 members, each against merely reading the same
// file's bytes; plus peak heap use against the file's size.
#include "BenchMonth.h"
#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"
#include "program/groupdata/ScheduleTexts.h"
#include "support/platform/Platform.h"
#include "tillbrook/TillbrookWriter.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace {

class SilentUi : public mirovan::IUserInterface {
public:
    void ShowMessage(const std::string&, mirovan::MessageIcon) override {}
};

struct Fixture {
    std::string folder;
    std::string groupPath;
    std::string monthPath;
};

// A month of 100,000 entries for 1,000 members, one in ten linked.
const Fixture& LargeMonth()
{
    static const Fixture fixture = [] {
        Fixture f;
        f.folder = (std::filesystem::temp_directory_path() / "mirovan-bench").string();
        std::filesystem::create_directories(f.folder);
        f.groupPath = f.folder + "/big.group";
        tillbrook::GroupRecord g;
        g.name = "big";
        tillbrook::WriteFile(f.groupPath, tillbrook::GroupFileBytes(g));
        std::mt19937 rng(7);
        const auto entries = bench::BenchmarkEntries(rng, 2007, 2, 100000, 1000, bench::Length::Moment);
        f.monthPath = f.folder + "/big200702.sch";
        tillbrook::WriteFile(f.monthPath, tillbrook::ScheduleFileBytes(entries));
        return f;
    }();
    return fixture;
}

void ReadBytesOnly(benchmark::State& state)
{
    const Fixture& f = LargeMonth();
    char buffer[4096];
    for (auto _ : state) {
        mirovan::platform::InputFile file(f.monthPath);
        size_t total = 0;
        while (const size_t n = file.ReadSome(buffer, sizeof buffer))
            total += n;
        benchmark::DoNotOptimize(total);
    }
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(f.monthPath)) / 1e6;
}
BENCHMARK(ReadBytesOnly)->Unit(benchmark::kMillisecond);

void LoadLinkAndDayLists(benchmark::State& state)
{
    const Fixture& f = LargeMonth();
    SilentUi ui;
    mirovan::CGroup group(ui, nullptr, mirovan::CGroup::Persistence::ReadOnly);
    group.ReadFile(f.groupPath);
    size_t peak = 0;
    bench::BestTime best;
    for (auto _ : state) {
        const size_t before = bench::HeapInUse();
        bench::ResetHeapPeak();
        best.Start();
        mirovan::CScheduleMonth month(group, ui);
        month.SetMonth(mirovan::DateValue{*mirovan::ToOleDate(2007, 2, 1), 0});
        month.Load();
        month.Link();
        auto texts = mirovan::BuildMonthTexts(month, "M17", true);
        benchmark::DoNotOptimize(texts);
        best.Stop();
        peak = std::max(peak, bench::HeapPeak() - before);
    }
    state.counters["entries"] = 100000;
    bench::ReportRatios(state, best, f.monthPath, peak);
}
BENCHMARK(LoadLinkAndDayLists)->Unit(benchmark::kMillisecond);

// A group of 1,000 members with names and codes of common lengths.
const std::string& LargeGroup()
{
    static const std::string path = [] {
        tillbrook::GroupRecord g;
        g.name = "large";
        for (int i = 0; i < 1000; ++i) {
            // Appended, not "M" + ...: GCC 12 warns wrongly at -O3.
            std::string name = "\x8D\xB2\x93\xA1 member ";
            name += std::to_string(i);
            std::string code = "M";
            code += std::to_string(i);
            g.members.push_back({name, code, "", {}, 0, {}});
        }
        const std::string file = LargeMonth().folder + "/large.group";
        tillbrook::WriteFile(file, tillbrook::GroupFileBytes(g));
        return file;
    }();
    return path;
}

void LoadGroupOf1000Members(benchmark::State& state)
{
    const std::string& path = LargeGroup();
    SilentUi ui;
    size_t peak = 0;
    bench::BestTime best;
    for (auto _ : state) {
        const size_t before = bench::HeapInUse();
        bench::ResetHeapPeak();
        best.Start();
        mirovan::CGroup group(ui, nullptr, mirovan::CGroup::Persistence::ReadOnly);
        mirovan::platform::InputFile file(path);
        group.ReadFrom(file);
        benchmark::DoNotOptimize(group.MemberCount());
        best.Stop();
        peak = std::max(peak, bench::HeapPeak() - before);
    }
    bench::ReportRatios(state, best, path, peak);
}
BENCHMARK(LoadGroupOf1000Members)->Unit(benchmark::kMicrosecond);

void LinkPassManyToOneTarget(benchmark::State& state)
{
    // 20,000 entries all linking to entry 0.
    std::vector<tillbrook::EntryRecord> entries(20000);
    for (auto& e : entries) {
        e.start = tillbrook::At(2007, 2, 1, 9, 0);
        e.ownerCode = "M1";
        e.flags = 5;
        e.link = 0;
    }
    const std::string bytes = tillbrook::ScheduleFileBytes(entries);
    SilentUi ui;
    mirovan::CGroup group(ui, nullptr, mirovan::CGroup::Persistence::ReadOnly);
    mirovan::CScheduleMonth month(group, ui);
    mirovan::MemorySource source(bytes);
    month.LoadFrom(source);
    for (auto _ : state)
        month.Link();
}
BENCHMARK(LinkPassManyToOneTarget)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
