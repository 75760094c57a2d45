#include "program/groupdata/CLinkIndex.h"

namespace mirovan {

void CLinkIndex::Clear()
{
    m_keys.clear();
    m_values.clear();
    m_counts.clear();
    m_nextSameKey.clear();
    m_firstByKey.clear();
    m_lastByKey.clear();
}

void CLinkIndex::Reserve(size_t values, uint32_t keyBound)
{
    m_keys.reserve(values);
    m_values.reserve(values);
    m_nextSameKey.reserve(values);
    m_counts.reserve(keyBound);
    m_firstByKey.reserve(keyBound);
    m_lastByKey.reserve(keyBound);
}

void CLinkIndex::Add(uint32_t key, int32_t value)
{
    if (key >= m_counts.size()) {
        m_counts.resize(size_t{key} + 1, 0);
        m_firstByKey.resize(size_t{key} + 1, -1);
        m_lastByKey.resize(size_t{key} + 1, -1);
    }
    const auto position = static_cast<int32_t>(m_keys.size());
    m_keys.push_back(key);
    m_values.push_back(value);
    m_nextSameKey.push_back(-1);
    if (m_lastByKey[key] >= 0)
        m_nextSameKey[static_cast<size_t>(m_lastByKey[key])] = position;
    else
        m_firstByKey[key] = position;
    m_lastByKey[key] = position;
    ++m_counts[key];
}

int32_t CLinkIndex::FindFirst(uint32_t key, int32_t& position) const
{
    if (Count(key) == 0) {
        position = -1;
        return -1;
    }
    const int32_t found = m_firstByKey[key];
    position = found + 1;
    return m_values[static_cast<size_t>(found)];
}

int32_t CLinkIndex::FindNext(uint32_t key, int32_t& position) const
{
    if (position < 0 || Count(key) == 0) {
        position = -1;
        return -1;
    }
    int32_t found = -1;
    const int32_t previous = position - 1;
    if (previous >= 0 && previous < Size() && m_keys[static_cast<size_t>(previous)] == key) {
        found = m_nextSameKey[static_cast<size_t>(previous)];
    } else {
        for (int32_t i = position; i < Size(); ++i)
            if (m_keys[static_cast<size_t>(i)] == key) {
                found = i;
                break;
            }
    }
    if (found < 0) {
        position = -1;
        return -1;
    }
    position = found + 1;
    return m_values[static_cast<size_t>(found)];
}

int32_t CLinkIndex::FindLast(uint32_t key) const
{
    if (Count(key) == 0)
        return -1;
    return m_values[static_cast<size_t>(m_lastByKey[key])];
}

} // namespace mirovan
