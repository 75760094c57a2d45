#pragma once
// Fonts shared by the program and the view library.

namespace mirovan {

// The Windows face names the templates and settings carry, rendered
// with the metrically compatible IPA fonts.
void InstallFontSubstitutions();

} // namespace mirovan
