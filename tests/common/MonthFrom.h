#pragma once
// A month loaded and linked from entries written by the sample writer,
// without a file.
#include "program/groupdata/CScheduleMonth.h"
#include "support/Archive.h"
#include "tillbrook/TillbrookWriter.h"

#include <vector>

namespace mirovan::test {

inline void LoadMonthFrom(CScheduleMonth& month, const std::vector<tillbrook::EntryRecord>& entries)
{
    const std::string bytes = tillbrook::ScheduleFileBytes(entries);
    MemorySource src(bytes);
    month.Clear();
    month.LoadFrom(src);
    month.Link();
}

} // namespace mirovan::test
