#pragma once
#include <cstdint>
#include <optional>
#include <string>

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
    std::optional<CivilDateTime> Civil() const
    {
        return status == kValid ? FromOleDate(date) : std::nullopt;
    }
};

// One record of a monthly schedule file.
class CScheduleEntry {
public:
    static constexpr uint32_t kReplacement = 1;   // low byte of the flags
    static constexpr uint32_t kDeletion = 2;      // low byte of the flags
    static constexpr uint32_t kDeletionRecord = 2; // whole flags value
    static constexpr uint32_t kTentative = 0x1000;
    static constexpr uint32_t kNeedsTentative = 0x0200 | 0x0400;

    uint32_t LinkKind() const { return m_flags & 0xFF; }

    CScheduleMonth* m_month = nullptr;
    int32_t m_ownIndex = 0;
    uint32_t m_word1 = 0;
    uint32_t m_flags = 0;
    DateValue m_start;
    DateValue m_end;
    DateValue m_date3;
    uint32_t m_number2 = 0;
    uint32_t m_link = 0;
    std::string m_content;
    std::string m_remarks;
    std::string m_ownerCode;
    std::string m_string3;
    int32_t m_superseded = 0;
};

} // namespace mirovan
