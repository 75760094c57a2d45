// Arbitrary bytes as a personal file: the read ends in a store or an
// end-of-file exception, and whatever was read survives a write and a
// second read unchanged, byte for byte on the second write.
#include "SilentUi.h"
#include "support/Archive.h"
#include "support/FileError.h"
#include "viewlib/personal/CPersonalFile.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using mirovan::view::CPersonalFile;
    SilentUi ui;
    CPersonalFile first(ui, CPersonalFile::Persistence::ReadOnly);
    mirovan::MemorySource source(std::string_view(reinterpret_cast<const char*>(data), size));
    try {
        first.ReadFrom(source);
    } catch (const mirovan::CArchiveException& ex) {
        Require(ex.m_cause == mirovan::kArchiveEndOfFile);
    }
    Require(!first.IsFileModified() && !first.IsMonthModified());

    // Touch the first record's month as the view would, without changing it.
    if (first.RecordCount() > 0) {
        const uint32_t day = first.MonthKeyAt(0) * 100 + 1;
        std::string text;
        first.GetDayText(day, text);
        first.StoreMonth();
        Require(!first.IsFileModified());
    }

    mirovan::MemorySink written;
    first.WriteTo(written);
    CPersonalFile second(ui, CPersonalFile::Persistence::ReadOnly);
    mirovan::MemorySource again(written.Bytes());
    second.ReadFrom(again);
    Require(second.RecordCount() == first.RecordCount());
    for (size_t i = 0; i < first.RecordCount(); ++i)
        Require(second.MonthKeyAt(i) == first.MonthKeyAt(i) && second.MonthTextAt(i) == first.MonthTextAt(i));

    mirovan::MemorySink rewritten;
    second.WriteTo(rewritten);
    Require(rewritten.Bytes() == written.Bytes());
    return 0;
}
