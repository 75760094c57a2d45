#pragma once
// The memos of a personal file as read, for those who only show or export
// them: nothing is ever written, and the file is held only while read.
#include "personalformat/PersonalFormat.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace mirovan::personal {

class CPersonalMemos {
public:
    // Replaces the memos with the file's, throwing as ReadLockedFile does;
    // after a cut file the records before the cut are kept.
    void Read(const std::string& path, std::chrono::milliseconds wait = kLockWait);
    const std::string& Path() const { return m_path; }

    // Empty for a day without text and for a key that names no day.
    // Splits one month at a time, so reading a month day by day is cheap.
    std::string DayText(uint32_t dayKey);

    size_t RecordCount() const { return m_keys.size(); }

private:
    std::string m_path;
    std::vector<uint32_t> m_keys;
    std::vector<std::string> m_texts;
    uint32_t m_splitMonth = 0;
    std::vector<std::string> m_days;
};

} // namespace mirovan::personal
