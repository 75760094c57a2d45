// Loading a large month file, the link pass and one member's day lists,
// against merely reading the file's bytes; plus peak heap use.
#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"
#include "program/groupdata/ScheduleTexts.h"
#include "support/platform/Platform.h"
#include "tillbrook/TillbrookWriter.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <random>

// Heap accounting for the peak-memory figure.
namespace {
std::atomic<size_t> g_current{0};
std::atomic<size_t> g_peak{0};
} // namespace

void* operator new(size_t size)
{
    auto* p = static_cast<size_t*>(std::malloc(size + sizeof(size_t) * 2));
    if (!p)
        throw std::bad_alloc();
    p[0] = size;
    const size_t now = g_current += size;
    size_t peak = g_peak.load();
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
    }
    return p + 2;
}
void operator delete(void* ptr) noexcept
{
    if (!ptr)
        return;
    auto* p = static_cast<size_t*>(ptr) - 2;
    g_current -= p[0];
    std::free(p);
}
void operator delete(void* ptr, size_t) noexcept { operator delete(ptr); }

namespace {

class SilentUi : public mirovan::IUserInterface {
public:
    void ShowMessage(const std::string&, mirovan::MessageIcon) override {}
};

struct Fixture {
    std::string folder;
    std::string groupPath;
    uintmax_t fileSize = 0;
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
        std::vector<tillbrook::EntryRecord> entries;
        entries.reserve(100000);
        for (int i = 0; i < 100000; ++i) {
            tillbrook::EntryRecord e;
            const int day = 1 + static_cast<int>(rng() % 28);
            e.start = tillbrook::At(2007, 2, day, 8 + static_cast<int>(rng() % 10), static_cast<int>(rng() % 60));
            e.end = e.start;
            e.date3 = e.start;
            e.content = "\x89\xEF\x8B\x63 weekly meeting of the section";
            std::string code = "M";
            code += std::to_string(rng() % 1000); // not "M" + ...: GCC 12 warns wrongly
            e.ownerCode = code;
            e.string3 = "";
            e.remarks = "room 3";
            if (i % 10 == 9) {
                e.flags = 1 + static_cast<uint32_t>(rng() % 2);
                e.link = static_cast<uint32_t>(rng() % i);
            }
            entries.push_back(std::move(e));
        }
        const std::string path = f.folder + "/big200702.sch";
        tillbrook::WriteFile(path, tillbrook::ScheduleFileBytes(entries));
        f.fileSize = std::filesystem::file_size(path);
        return f;
    }();
    return fixture;
}

void ReadBytesOnly(benchmark::State& state)
{
    const Fixture& f = LargeMonth();
    char buffer[4096];
    for (auto _ : state) {
        mirovan::platform::InputFile file(f.folder + "/big200702.sch");
        size_t total = 0;
        while (const size_t n = file.ReadSome(buffer, sizeof buffer))
            total += n;
        benchmark::DoNotOptimize(total);
    }
    state.counters["MB"] = static_cast<double>(f.fileSize) / 1e6;
}
BENCHMARK(ReadBytesOnly)->Unit(benchmark::kMillisecond);

void LoadLinkAndDayLists(benchmark::State& state)
{
    const Fixture& f = LargeMonth();
    SilentUi ui;
    mirovan::CGroup group(ui, nullptr, mirovan::CGroup::Persistence::ReadOnly);
    group.ReadFile(f.groupPath);
    size_t peak = 0;
    for (auto _ : state) {
        g_peak = g_current.load();
        const size_t before = g_current.load();
        mirovan::CScheduleMonth month(group, ui);
        month.SetMonth(mirovan::DateValue{*mirovan::ToOleDate(2007, 2, 1), 0});
        month.Load();
        month.Link();
        auto texts = mirovan::BuildMonthTexts(month, "M17", true);
        benchmark::DoNotOptimize(texts);
        peak = std::max(peak, g_peak.load() - before);
    }
    state.counters["entries"] = 100000;
    state.counters["peak/file"] = static_cast<double>(peak) / static_cast<double>(f.fileSize);
}
BENCHMARK(LoadLinkAndDayLists)->Unit(benchmark::kMillisecond);

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
