#include "tillbrook/TillbrookWriter.h"

#include "support/Archive.h"
#include "support/OleDate.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace tillbrook {
namespace {

void Put(mirovan::ArchiveWriter& w, const FileString& s)
{
    if (s.utf16)
        w.WriteUtf16String(s.wide);
    else
        w.WriteString(s.bytes);
}

void Put(mirovan::ArchiveWriter& w, const FileDate& d)
{
    w.WriteI32(d.status);
    w.WriteDouble(d.value);
}

} // namespace

std::string GroupFileBytes(const GroupRecord& group)
{
    size_t maxStrings = 3, maxNumbers = 1;
    for (const MemberRecord& m : group.members) {
        maxStrings = std::max(maxStrings, 3 + m.moreStrings.size());
        maxNumbers = std::max(maxNumbers, 1 + m.moreNumbers.size());
    }
    mirovan::MemorySink sink;
    {
        mirovan::ArchiveWriter w(sink);
        w.WriteU32(group.formatWord);
        Put(w, group.name);
        w.WriteU32(static_cast<uint32_t>(group.members.size()));
        w.WriteU32(static_cast<uint32_t>(group.stringsPerMember >= 0 ? group.stringsPerMember : maxStrings));
        w.WriteU32(static_cast<uint32_t>(group.numbersPerMember >= 0 ? group.numbersPerMember : maxNumbers));
        w.WriteU32(static_cast<uint32_t>(group.groupStrings.size()));
        w.WriteU32(static_cast<uint32_t>(group.groupNumbers.size()));
        for (const FileString& s : group.groupStrings)
            Put(w, s);
        for (uint32_t n : group.groupNumbers)
            w.WriteU32(n);
        for (const MemberRecord& m : group.members) {
            Put(w, m.name);
            Put(w, m.code);
            Put(w, m.string3);
            for (const FileString& s : m.moreStrings)
                Put(w, s);
            w.WriteU32(m.attributes);
            for (uint32_t n : m.moreNumbers)
                w.WriteU32(n);
        }
    }
    return sink.Bytes();
}

std::string EntryBytes(const EntryRecord& e)
{
    const uint32_t d =
        e.numberCount >= 0 ? static_cast<uint32_t>(e.numberCount) : static_cast<uint32_t>(2 + e.moreNumbers.size());
    const uint32_t t = e.stringCount >= 0 ? static_cast<uint32_t>(e.stringCount)
                                          : static_cast<uint32_t>(e.hasRemarks ? 4 + e.moreStrings.size() : 3);
    mirovan::MemorySink sink;
    {
        mirovan::ArchiveWriter w(sink);
        w.WriteU32(e.word1);
        w.WriteU32((t & 0xFFFF) << 16 | (d & 0xFFFF));
        w.WriteU32(e.flags);
        Put(w, e.start);
        Put(w, e.end);
        Put(w, e.date3);
        w.WriteU32(e.number2);
        w.WriteU32(e.link);
        for (uint32_t n : e.moreNumbers)
            w.WriteU32(n);
        Put(w, e.content);
        Put(w, e.ownerCode);
        Put(w, e.string3);
        if (e.hasRemarks) {
            Put(w, e.remarks);
            for (const FileString& s : e.moreStrings)
                Put(w, s);
        }
    }
    return sink.Bytes();
}

std::string ScheduleFileBytes(const std::vector<EntryRecord>& entries)
{
    std::string bytes;
    for (const EntryRecord& e : entries)
        bytes += EntryBytes(e);
    return bytes;
}

FileDate At(int year, int month, int day, int hour, int minute)
{
    const auto v = mirovan::ToOleDate(year, month, day, hour, minute);
    if (!v)
        throw std::invalid_argument("not a date");
    return FileDate{0, *v};
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
}

} // namespace tillbrook
