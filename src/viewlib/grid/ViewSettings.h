#pragma once
// The view's font settings as the settings key holds them.
#include "interface/MirovanView.h"

#include <string>

namespace mirovan::view {

VIEWFONTS DefaultViewFonts();
// Reads Font0, Font1, FontSize0 and FontSize1; what is missing keeps its
// default.
void LoadFontSettings(VIEWFONTS& fonts);
// Copies a code page 932 face name into a 64-byte field, cut at a
// character boundary so that it stays NUL-terminated and whole.
void SetFaceName(char (&field)[64], const std::string& cp932);
// Bytes of s that fit in limit without cutting a double-byte character.
size_t WholeCharacterPrefix(const std::string& s, size_t limit);

} // namespace mirovan::view
