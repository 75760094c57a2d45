#pragma once
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

#include "support/ArchiveBytes.h"
#include "support/OleDate.h"

namespace mirovan {

class CScheduleMonth;

// An OLE date with its status: 0 valid, 1 invalid, 2 null.
struct DateValue {
    double date = 0.0;
    int32_t status = 0;

    static constexpr int32_t kValid = 0;
    // The calendar date and time, when the status is valid and the value
    // is a real date.
    std::optional<CivilDateTime> Civil() const { return status == kValid ? FromOleDate(date) : std::nullopt; }
};

// One record of a monthly schedule file. It refers to the record's bytes
// kept by its month and decodes a field when asked, so that a month of
// many entries costs little more than its file; it lives as long as the
// month's load.
class CScheduleEntry {
public:
    static constexpr uint32_t kReplacement = 1;    // low byte of the flags
    static constexpr uint32_t kDeletion = 2;       // low byte of the flags
    static constexpr uint32_t kDeletionRecord = 2; // whole flags value
    static constexpr uint32_t kTentative = 0x1000;
    static constexpr uint32_t kNeedsTentative = 0x0200 | 0x0400;

    // The fixed part of a record: word1, the shape (numbers in the low,
    // strings in the high half), the flags, three dates of status and
    // value, number2 and the link.
    static constexpr size_t kFixedSize = 56;

    uint32_t LinkKind() const { return Flags() & 0xFF; }

    uint32_t Word1() const { return U32(0); }
    uint32_t Flags() const { return m_flags; }
    DateValue Start() const { return Date(12); }
    DateValue End() const { return Date(24); }
    DateValue Date3() const { return Date(36); }
    uint32_t Number2() const { return U32(48); }
    uint32_t LinkTarget() const { return m_link; }

    // Code page 932 bytes, also for strings stored in UTF-16.
    std::string_view Content() const { return Text(0); }
    std::string_view OwnerCode() const { return Text(1); }
    std::string_view String3() const { return Text(2); }
    std::string_view Remarks() const { return m_hasRemarks ? Text(3) : std::string_view(); }

    int32_t OwnIndex() const { return m_ownIndex; }
    // Replaced or deleted by a later entry, as the link pass found.
    bool Superseded() const { return m_superseded; }

private:
    friend class CScheduleMonth;

    uint32_t U32(size_t at) const
    {
        const auto* b = reinterpret_cast<const unsigned char*>(m_fixed + at);
        return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
               static_cast<uint32_t>(b[3]) << 24;
    }
    DateValue Date(size_t at) const
    {
        DateValue d;
        d.status = static_cast<int32_t>(U32(at));
        const uint64_t bits = uint64_t{U32(at + 4)} | uint64_t{U32(at + 8)} << 32;
        std::memcpy(&d.date, &bits, sizeof d.date);
        return d;
    }
    // The index-th of the length-prefixed code page 932 strings at m_text.
    std::string_view Text(int index) const { return PrefixedText(m_text, index); }

    const char* m_fixed = nullptr;
    // Content, owner code, string3 and, with m_hasRemarks, the remarks;
    // in the file's bytes, or converted beside them when one was UTF-16.
    const char* m_text = nullptr;
    // Kept apart for the passes over every entry.
    uint32_t m_flags = 0;
    uint32_t m_link = 0;
    int32_t m_ownIndex = 0;
    bool m_hasRemarks = false;
    bool m_superseded = false;
};

} // namespace mirovan
