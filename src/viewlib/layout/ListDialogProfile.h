#pragma once
// How the detail list keeps its geometry in three profile numbers.
#include <algorithm>
#include <array>
#include <cstdint>

namespace mirovan::view {

inline std::array<int, 3> UnpackColumnWidths(uint32_t v)
{
    return {static_cast<int>(v >> 20), static_cast<int>((v >> 10) & 0x3FF), static_cast<int>(v & 0x3FF)};
}

// Widths that do not fit their bits are limited to the largest that does.
inline uint32_t PackColumnWidths(int w0, int w1, int w2)
{
    const auto clamp = [](int v, int max) { return static_cast<uint32_t>(std::clamp(v, 0, max)); };
    return ((clamp(w0, 0xFFF) << 10 | clamp(w1, 0x3FF)) << 10) | clamp(w2, 0x3FF);
}

// Two 16-bit halves; coordinates outside 0-65535 are limited to it.
inline uint32_t PackPair(int high, int low)
{
    const auto clamp = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 0xFFFF)); };
    return clamp(high) << 16 | clamp(low);
}
inline int PairHigh(uint32_t v) { return static_cast<int>(v >> 16); }
inline int PairLow(uint32_t v) { return static_cast<int>(v & 0xFFFF); }

} // namespace mirovan::view
