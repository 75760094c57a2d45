#pragma once
// The view's font settings as the settings key holds them.
#include "interface/MirovanView.h"

#include <string>

namespace mirovan::view {

VIEWFONTS DefaultViewFonts();
// Reads Font0, Font1, FontSize0 and FontSize1; what is missing keeps its
// default.
void LoadFontSettings(VIEWFONTS& fonts);

} // namespace mirovan::view
