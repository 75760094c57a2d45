#pragma once
// Font face names as the view's font block holds them.
#include <string>

namespace mirovan {

// Copies a code page 932 face name into a 64-byte field, cut at a
// character boundary so that it stays NUL-terminated and whole.
void SetFaceName(char (&field)[64], const std::string& cp932);

} // namespace mirovan
