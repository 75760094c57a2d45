// Arbitrary bytes as a monthly schedule file, then the link pass and the
// texts of every member code found: never a crash or a runaway allocation.
#include "SilentUi.h"
#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"
#include "program/groupdata/ScheduleTexts.h"
#include "support/Archive.h"
#include "support/FileError.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SilentUi ui;
    mirovan::CGroup group(ui, nullptr, mirovan::CGroup::Persistence::ReadOnly);
    mirovan::CScheduleMonth month(group, ui);
    mirovan::MemorySource source(std::string_view(reinterpret_cast<const char*>(data), size));
    try {
        month.LoadFrom(source);
    } catch (const mirovan::CArchiveException& ex) {
        if (ex.m_cause != mirovan::kArchiveEndOfFile)
            std::abort();
    }
    month.Link();
    for (int i = 0; i < month.EntryCount() && i < 4; ++i) {
        const auto& code = month.EntryAt(i).OwnerCode();
        mirovan::BuildMonthTexts(month, code, true);
        mirovan::BuildDayList(month, code, month.EntryAt(i).Start());
    }
    return 0;
}
