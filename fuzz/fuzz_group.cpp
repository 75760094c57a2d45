// Arbitrary bytes as a group file: must end in a member list or an
// archive exception, never a crash or a runaway allocation.
#include "SilentUi.h"
#include "program/groupdata/CGroup.h"
#include "support/Archive.h"
#include "support/FileError.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SilentUi ui;
    mirovan::CGroup group(ui, nullptr, mirovan::CGroup::Persistence::ReadOnly);
    mirovan::MemorySource source(std::string_view(reinterpret_cast<const char*>(data), size));
    try {
        group.ReadFrom(source);
    } catch (const mirovan::CArchiveException& ex) {
        if (ex.m_cause != mirovan::kArchiveEndOfFile)
            std::abort();
    }
    for (int i = 0; i < group.MemberCount(); ++i)
        if (group.MemberAt(i).Index() != i)
            std::abort();
    return 0;
}
