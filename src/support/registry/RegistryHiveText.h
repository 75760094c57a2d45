#pragma once
// A hive's text form: the platform registry editor's export format.
// Nothing here touches a file.
#include "support/registry/RegistryHive.h"

#include <optional>
#include <string>
#include <string_view>

namespace mirovan::registry {

// Replaces the hive's contents with those of a file's bytes: UTF-8 (a
// byte-order mark is allowed), UTF-16LE with its byte-order mark, or
// the older code-page format. On failure the contents are unspecified
// and error tells the line and the cause.
bool ParseHive(Hive& hive, std::string_view bytes, std::string& error);
// The UTF-8 file form; nullopt (with the cause) when a name or text
// cannot be written, as when it is not valid code page 932 or holds a
// line break where the format has no room for one.
std::optional<std::string> SerializeHive(const Hive& hive, std::string* error = nullptr);

} // namespace mirovan::registry
