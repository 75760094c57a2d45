// Reading and writing a personal file of 1,200 months with a memo on every
// day, from and to disk (the write includes its fsync and rename) and from
// and to memory, to tell the format's cost from the file system's. The
// read from disk is also put against a raw read of the same file.
#include "support/Archive.h"
#include "support/Codepage.h"
#include "support/OleDate.h"
#include "viewlib/personal/CPersonalFile.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <random>

namespace {

class SilentUi : public mirovan::IUserInterface {
public:
    void ShowMessage(const std::string&, mirovan::MessageIcon) override {}
};

struct Fixture {
    std::string path;
    std::string bytes;
};

// One memo a day, 20 to 40 bytes of code page 932, for 100 years.
const Fixture& HundredYears()
{
    static const Fixture fixture = [] {
        const char* phrases[] = {"定例会議",           "歯医者 15:00", "出張（大阪）", "締切",
                                 "打ち合わせ 10:30～", "誕生日",       "健康診断",     "研修",
                                 "資料作成",           "買い物",       "在宅勤務",     "来客 14:00"};
        std::vector<std::string> cp932;
        for (const char* p : phrases)
            cp932.push_back(mirovan::codepage::FromUtf8(p).value());
        std::mt19937 rng(11);
        Fixture f;
        const auto folder = std::filesystem::temp_directory_path() / "mirovan-bench";
        std::filesystem::create_directories(folder);
        f.path = (folder / "calendar.mvp").string();
        SilentUi ui;
        mirovan::view::CPersonalFile store(ui);
        store.SetPath(f.path);
        for (int year = 2000; year < 2100; ++year)
            for (int month = 1; month <= 12; ++month)
                for (int day = 1; day <= mirovan::DaysInMonth(year, month); ++day) {
                    std::string text;
                    const size_t wanted = 20 + rng() % 21;
                    while (text.size() < wanted) {
                        const std::string& phrase = cp932[rng() % cp932.size()];
                        if (!text.empty() && text.size() + 1 + phrase.size() > 40)
                            break;
                        text += text.empty() ? phrase : " " + phrase;
                    }
                    store.SetDayText(mirovan::MakeDayKey(year, month, day), text);
                }
        store.WriteFile();
        mirovan::MemorySink sink;
        store.WriteTo(sink);
        f.bytes = sink.Bytes();
        return f;
    }();
    return fixture;
}

void ReadFile(benchmark::State& state)
{
    const Fixture& f = HundredYears();
    SilentUi ui;
    mirovan::view::CPersonalFile store(ui, mirovan::view::CPersonalFile::Persistence::ReadOnly);
    store.SetPath(f.path);
    size_t peak = 0;
    bench::BestTime best;
    for (auto _ : state) {
        // What the last read left is freed by this one: not part of its peak.
        const char noRecords[4] = {};
        mirovan::MemorySource empty(std::string_view(noRecords, sizeof noRecords));
        store.ReadFrom(empty);
        const size_t before = bench::HeapInUse();
        bench::ResetHeapPeak();
        best.Start();
        store.ReadFile();
        benchmark::DoNotOptimize(store.RecordCount());
        best.Stop();
        peak = std::max(peak, bench::HeapPeak() - before);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes.size()));
    bench::ReportRatios(state, best, f.path, peak);
}
BENCHMARK(ReadFile)->Unit(benchmark::kMillisecond);

void WriteFile(benchmark::State& state)
{
    const Fixture& f = HundredYears();
    SilentUi ui;
    mirovan::view::CPersonalFile store(ui);
    store.SetPath(f.path);
    store.ReadFile();
    for (auto _ : state)
        benchmark::DoNotOptimize(store.WriteFile());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes.size()));
}
BENCHMARK(WriteFile)->Unit(benchmark::kMillisecond);

void ReadFromMemory(benchmark::State& state)
{
    const Fixture& f = HundredYears();
    SilentUi ui;
    mirovan::view::CPersonalFile store(ui, mirovan::view::CPersonalFile::Persistence::ReadOnly);
    for (auto _ : state) {
        mirovan::MemorySource source(f.bytes);
        store.ReadFrom(source);
        benchmark::DoNotOptimize(store.RecordCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes.size()));
}
BENCHMARK(ReadFromMemory)->Unit(benchmark::kMillisecond);

void WriteToMemory(benchmark::State& state)
{
    const Fixture& f = HundredYears();
    SilentUi ui;
    mirovan::view::CPersonalFile store(ui, mirovan::view::CPersonalFile::Persistence::ReadOnly);
    mirovan::MemorySource source(f.bytes);
    store.ReadFrom(source);
    for (auto _ : state) {
        mirovan::MemorySink sink;
        store.WriteTo(sink);
        benchmark::DoNotOptimize(sink.Bytes().size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes.size()));
}
BENCHMARK(WriteToMemory)->Unit(benchmark::kMillisecond);

// Walking every month once, as paging through the whole file in the view.
void VisitEveryMonth(benchmark::State& state)
{
    const Fixture& f = HundredYears();
    SilentUi ui;
    mirovan::view::CPersonalFile store(ui, mirovan::view::CPersonalFile::Persistence::ReadOnly);
    mirovan::MemorySource source(f.bytes);
    store.ReadFrom(source);
    std::string text;
    for (auto _ : state)
        for (int year = 2000; year < 2100; ++year)
            for (int month = 1; month <= 12; ++month) {
                store.GetDayText(mirovan::MakeDayKey(year, month, 15), text);
                benchmark::DoNotOptimize(text.size());
            }
}
BENCHMARK(VisitEveryMonth)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
