#pragma once
// The benchmark month every benchmark writes: entries on random days and
// hours, owned by members M0 to M<members - 1>, every tenth superseded or
// linked to an earlier one.
#include "tillbrook/TillbrookWriter.h"

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace bench {

enum class Length { Moment, Hour };

inline std::vector<tillbrook::EntryRecord> BenchmarkEntries(std::mt19937& rng, int year, int month, int count,
                                                            unsigned members, Length length)
{
    std::vector<tillbrook::EntryRecord> entries;
    entries.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        tillbrook::EntryRecord e;
        const int day = 1 + static_cast<int>(rng() % 28);
        const int hour = 8 + static_cast<int>(rng() % 10);
        const int minute = static_cast<int>(rng() % 60);
        e.start = tillbrook::At(year, month, day, hour, minute);
        if (length == Length::Hour) {
            e.end = tillbrook::At(year, month, day, hour + 1, 0);
        } else {
            e.end = e.start;
            e.date3 = e.start;
        }
        e.content = "\x89\xEF\x8B\x63 weekly meeting of the section";
        std::string code = "M"; // not "M" + ...: GCC 12 warns wrongly
        code += std::to_string(rng() % members);
        e.ownerCode = std::move(code);
        e.remarks = "room 3";
        if (i % 10 == 9) {
            e.flags = 1 + static_cast<uint32_t>(rng() % 2);
            e.link = static_cast<uint32_t>(rng() % i);
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

} // namespace bench
