#pragma once
// Where Qt text meets the bytes the system keeps: code page 932 texts
// from files and the registry, UTF-8 messages and literals, and file
// paths in the platform's own form.
#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirovan::qttext {

// For display: undecodable bytes become U+FFFD.
QString FromCp932(std::string_view cp932);
// The same for texts of several lines, whose CR LF pairs Qt draws as one break.
QString FromCp932Lines(std::string_view cp932);

struct Cp932Text {
    std::optional<std::string> bytes;    // nullopt when some character does not fit
    std::vector<std::string> unmappable; // those characters, UTF-8, in order, no repeats
};
// Exact conversion of typed text, to be stored.
Cp932Text ToCp932(const QString& text);
// Every character code page 932 lacks becomes the replacement.
std::string ToCp932Replacing(const QString& text, const QString& replacement);

// Messages and literals, which are UTF-8.
QString FromUtf8(std::string_view utf8);
std::string ToUtf8(const QString& text);

// File paths as the platform's file functions take them.
QString FromNativePath(std::string_view path);
std::string ToNativePath(const QString& path);

} // namespace mirovan::qttext
