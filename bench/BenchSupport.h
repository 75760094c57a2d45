#pragma once
// What the benchmarks share: heap accounting (global new and delete are
// replaced in every benchmark program) and the raw read of a file that
// loading is compared with.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>
#include <ctime>
#include <string>

namespace bench {

// Bytes allocated through new and not yet freed.
size_t HeapInUse();
// Starts a new peak, from what is in use now.
void ResetHeapPeak();
// The most in use since the last reset.
size_t HeapPeak();

// The thread's processor time, user and system, in seconds: unlike the
// clock on the wall it hardly moves while other work has the processor.
double ThreadSeconds();

// The fastest of a benchmark's iterations, timed around what it does, on
// the wall clock and in processor time.
class BestTime {
public:
    void Start()
    {
        m_start = std::chrono::steady_clock::now();
        m_startCpu = ThreadSeconds();
    }
    void Stop()
    {
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
        const double cpu = ThreadSeconds() - m_startCpu;
        if (m_best < 0 || wall < m_best)
            m_best = wall;
        if (m_bestCpu < 0 || cpu < m_bestCpu)
            m_bestCpu = cpu;
    }
    double Seconds() const { return m_best; }
    double CpuSeconds() const { return m_bestCpu; }

private:
    std::chrono::steady_clock::time_point m_start;
    double m_startCpu = 0;
    double m_best = -1;
    double m_bestCpu = -1;
};

// The fastest of several reads of the file's bytes through a buffer of
// 4096 bytes, with nothing kept.
BestTime RawRead(const std::string& path);

// Sets the counters every load benchmark reports: the fastest load over
// the fastest raw read of the same file (x_read on the wall clock, x_cpu
// in processor time, the steadier on a busy machine), and the peak heap
// over the file's size.
void ReportRatios(benchmark::State& state, const BestTime& load, const std::string& path, size_t peakHeap);

} // namespace bench
