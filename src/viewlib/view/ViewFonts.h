#pragma once
// Fonts made from the view's settings for a device.
#include <QFont>

namespace mirovan::view {

// A font of the given tenths of a point for a device of dpiY dots per
// inch, with the face cut to its first 31 bytes.
QFont PointFont(const char* faceCp932, int tenthsOfPoint, int dpiY);

} // namespace mirovan::view
