#pragma once
// Code page 932 (Shift-JIS, Windows variant) <-> UTF-8 and UTF-16.
// Text read from files and the registry is held as code page 932 bytes;
// conversion happens only at the edges, through this module.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirovan::codepage {

// True for a byte that starts a double-byte character.
constexpr bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Bytes of s that fit in limit without cutting a double-byte character.
size_t WholeCharacterPrefix(std::string_view s, size_t limit);

// Exact conversions: nullopt when the input holds a sequence the other
// side cannot represent.
std::optional<std::string> ToUtf8(std::string_view cp932);
std::optional<std::string> FromUtf8(std::string_view utf8);

// Display conversion: every undecodable byte becomes U+FFFD.
std::string ToUtf8Lossy(std::string_view cp932);
// The same with the files' CR LF as plain line breaks: text for calendars
// and pages, which break lines themselves.
std::string ToUtf8Lines(std::string_view cp932);

// What the platform's wide-to-ANSI conversion does: characters that
// code page 932 lacks become '?'. Unpaired surrogates count as such.
std::string FromUtf16LeLossy(std::u16string_view utf16);

// The characters of a UTF-8 text that code page 932 cannot hold, each
// as its own UTF-8 string, in order of first appearance, no repeats.
// Invalid UTF-8 bytes are reported as U+FFFD.
std::vector<std::string> UnmappableCharacters(std::string_view utf8);

// Code page 932 of a UTF-8 text, with every character the code page
// lacks (and every invalid byte) replaced by the given code page 932 text.
std::string FromUtf8Replacing(std::string_view utf8, std::string_view replacement);

} // namespace mirovan::codepage
