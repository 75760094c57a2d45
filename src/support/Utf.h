#pragma once
// UTF-8 and UTF-16 at the byte level, beside the code page conversions:
// what file formats kept in Unicode need before the text reaches them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace mirovan::utf {

bool IsAscii(std::string_view s);
void AppendUtf8(std::string& out, uint32_t codePoint);
// UTF-16LE bytes (no byte-order mark) as UTF-8; false, with the cause in
// error, for an odd length or a broken surrogate pair.
bool DecodeUtf16Le(std::string_view bytes, std::string& out, std::string& error);
// Strict: no overlong forms, no surrogates, nothing above U+10FFFF.
// Returns the offset of the first bad byte, or npos.
size_t FindInvalidUtf8(std::string_view s);
// Valid UTF-8 of any bytes: each byte that starts no valid sequence
// becomes U+FFFD, so nothing is hidden and nothing is dropped.
std::string ReplaceInvalidUtf8(std::string_view s);

} // namespace mirovan::utf
