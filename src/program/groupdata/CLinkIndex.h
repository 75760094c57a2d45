#pragma once
// A multimap from a link target to the entries that link to it, in the
// order they were added.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mirovan {

class CLinkIndex {
public:
    void Clear();
    // Room for this many values with keys below keyBound, so that the
    // index is built without growing.
    void Reserve(size_t values, uint32_t keyBound);
    void Add(uint32_t key, int32_t value);
    // The first value with this key, or -1; position is set to the place
    // after it, for FindNext.
    int32_t FindFirst(uint32_t key, int32_t& position) const;
    // The next value with this key at or after position, or -1.
    int32_t FindNext(uint32_t key, int32_t& position) const;
    // The value added last with this key, or -1.
    int32_t FindLast(uint32_t key) const;
    int32_t Count(uint32_t key) const { return key < m_counts.size() ? m_counts[key] : 0; }
    int32_t Size() const { return static_cast<int32_t>(m_keys.size()); }

private:
    std::vector<uint32_t> m_keys;
    std::vector<int32_t> m_values;
    std::vector<int32_t> m_counts; // indexed by key
    // Chains of positions with the same key, so that a lookup never
    // scans the whole index.
    std::vector<int32_t> m_nextSameKey;
    std::vector<int32_t> m_firstByKey;
    std::vector<int32_t> m_lastByKey;
};

} // namespace mirovan
