#include "BenchSupport.h"

#include "support/platform/Platform.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>

namespace {
std::atomic<size_t> g_current{0};
std::atomic<size_t> g_peak{0};
} // namespace

// Each block carries its size in front, so that delete can count it.
void* operator new(size_t size)
{
    auto* p = static_cast<size_t*>(std::malloc(size + sizeof(size_t) * 2));
    if (!p)
        throw std::bad_alloc();
    p[0] = size;
    const size_t now = g_current += size;
    size_t peak = g_peak.load();
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {}
    return p + 2;
}
void* operator new[](size_t size) { return operator new(size); }
void operator delete(void* ptr) noexcept
{
    if (!ptr)
        return;
    auto* p = static_cast<size_t*>(ptr) - 2;
    g_current -= p[0];
    std::free(p);
}
void operator delete[](void* ptr) noexcept { operator delete(ptr); }
void operator delete(void* ptr, size_t) noexcept { operator delete(ptr); }
void operator delete[](void* ptr, size_t) noexcept { operator delete(ptr); }

namespace bench {

size_t HeapInUse() { return g_current.load(); }
void ResetHeapPeak() { g_peak = g_current.load(); }
size_t HeapPeak() { return g_peak.load(); }

double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

BestTime RawRead(const std::string& path)
{
    BestTime best;
    char buffer[4096];
    for (int i = 0; i < 30; ++i) {
        best.Start();
        mirovan::platform::InputFile file(path);
        size_t total = 0;
        while (const size_t n = file.ReadSome(buffer, sizeof buffer))
            total += n;
        benchmark::DoNotOptimize(total);
        best.Stop();
    }
    return best;
}

void ReportRatios(benchmark::State& state, const BestTime& load, const std::string& path, size_t peakHeap)
{
    const BestTime read = RawRead(path);
    const auto size = static_cast<double>(std::filesystem::file_size(path));
    state.counters["MB"] = size / 1e6;
    state.counters["read_ms"] = read.Seconds() * 1e3;
    state.counters["best_ms"] = load.Seconds() * 1e3;
    state.counters["cpu_ms"] = load.CpuSeconds() * 1e3;
    state.counters["x_read"] = load.Seconds() / read.Seconds();
    state.counters["x_cpu"] = load.CpuSeconds() / read.CpuSeconds();
    if (peakHeap > 0)
        state.counters["heap/file"] = static_cast<double>(peakHeap) / size;
}

} // namespace bench
