#pragma once
// Test-side text helpers: code page 932 literals from UTF-8 source.
#include "support/Codepage.h"

#include <string>

namespace mirovan::test {

inline std::string Sjis(const char* utf8) { return codepage::FromUtf8(utf8).value(); }

} // namespace mirovan::test
