#pragma once
// Reading and writing the values SettingsTable.h declares, each in its
// own store and type. Failures show no message: reads give the default,
// writes give false.
#include "support/settings/SettingsTable.h"

#include <cstdint>
#include <string>

namespace mirovan::settings {

uint32_t Read(const Number& value);
// With the caller's own default, for the view library, which keeps its own.
uint32_t Read(const Number& value, uint32_t fallback);
bool Write(const Number& value, uint32_t number);

// Code page 932 bytes, as the registry keeps texts.
std::string Read(const Text& value);
std::string Read(const Text& value, const std::string& fallback);
bool Write(const Text& value, const std::string& text);
// The default in code page 932.
std::string DefaultText(const Text& value);

// The text named name in the family; empty when missing.
std::string Read(const TextFamily& family, const std::string& name);
bool Write(const TextFamily& family, const std::string& name, const std::string& text);

// The platform's own bytes, exactly as written; empty when missing.
std::string Read(const Path& value);
bool Write(const Path& value, const std::string& path);

// Moves the maker's earlier keys to its own once: only while the user's
// earlier key still holds a version.
void MigrateLegacyKey();

} // namespace mirovan::settings
