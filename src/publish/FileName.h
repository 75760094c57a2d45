#pragma once
// The one rule that turns a group's file name, a member code or a UID into
// the name of a file or folder under the published folder, and that name
// into a URL path segment. Names never contain "/" and never begin with
// ".", so nothing built from them can leave the folder.
#include <string>
#include <string_view>

namespace mirovan::publish {

// Keeps ASCII letters, digits, "-", "_", "~" and the characters of valid
// UTF-8 from U+00A0 on; every other byte becomes "%XX" (upper-case hex),
// "." and "%" included. "week" and "vdir" in any case, the published
// folder's own names, get their first letter encoded; the empty name is
// "%". A result over kMaxName bytes is cut at a character and ends in "-"
// and 16 hex digits of a hash of the whole, so names stay unique and fit
// every file system.
std::string FileNameOf(std::string_view bytes);
constexpr size_t kMaxName = 160;

// A file name as a URL path segment: every byte but ASCII letters,
// digits, "-", "_", "." and "~" as "%XX", so "%" itself becomes "%25".
std::string UrlSegment(std::string_view fileName);

// A member code (code page 932) as text for FileNameOf: UTF-8 when it
// converts exactly, else the bytes themselves (which then show as %XX).
std::string CodeText(std::string_view cp932);

} // namespace mirovan::publish
