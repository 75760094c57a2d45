#include "personalformat/CPersonalMemos.h"

#include "support/DayKey.h"

#include <algorithm>

namespace mirovan::personal {

void CPersonalMemos::Read(const std::string& path, std::chrono::milliseconds wait)
{
    m_path = path;
    m_keys.clear();
    m_texts.clear();
    m_splitMonth = 0;
    m_days.clear();
    ReadLockedFile(path, wait, m_keys, m_texts);
}

std::string CPersonalMemos::DayText(uint32_t dayKey)
{
    // Month key 0 and day 0 name no day.
    const uint32_t monthKey = MonthKeyOfDay(dayKey);
    const int day = DayOfDayKey(dayKey);
    if (monthKey == 0 || day == 0)
        return {};
    if (monthKey != m_splitMonth) {
        // Of two records with the same month key the first is the month's.
        const auto found = std::find(m_keys.begin(), m_keys.end(), monthKey);
        m_days = found == m_keys.end() ? std::vector<std::string>()
                                       : SplitDays(m_texts[static_cast<size_t>(found - m_keys.begin())]);
        m_splitMonth = monthKey;
    }
    const auto i = static_cast<size_t>(day - 1);
    return i < m_days.size() ? m_days[i] : std::string();
}

} // namespace mirovan::personal
