#pragma once
// Rectangles and colours as the grid computes them, in client pixels:
// left and top inside, right and bottom outside.
#include <algorithm>
#include <cstdint>

#include "support/DayColour.h"

namespace mirovan::view {

struct GridRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool Intersects(const GridRect& o) const
    {
        return std::max(left, o.left) < std::min(right, o.right) && std::max(top, o.top) < std::min(bottom, o.bottom);
    }
    GridRect Deflated(int d) const { return {left + d, top + d, right - d, bottom - d}; }
    bool operator==(const GridRect&) const = default;
};

// 0x00BBGGRR, as the platform's colour values are laid out.
using Colour = uint32_t;
constexpr Colour Rgb(uint8_t r, uint8_t g, uint8_t b) { return r | (g << 8) | (uint32_t{b} << 16); }
constexpr uint8_t Red(Colour c) { return c & 0xFF; }
constexpr uint8_t Green(Colour c) { return (c >> 8) & 0xFF; }
constexpr uint8_t Blue(Colour c) { return (c >> 16) & 0xFF; }

constexpr Colour kHolidayColour = kHolidayDayColour;
constexpr Colour kSaturdayColour = kSaturdayDayColour;
static_assert(kHolidayColour == Rgb(255, 192, 192) && kSaturdayColour == Rgb(192, 192, 255));
constexpr Colour kGridLineColour = Rgb(128, 128, 128);

} // namespace mirovan::view
