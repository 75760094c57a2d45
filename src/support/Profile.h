#pragma once
// The view library's private profile (settings::kProfileFile): numbers in named
// sections, as the platform's profile functions keep them.
#include <cstdint>
#include <string>

namespace mirovan::profile {

// In settings::ConfigFolder().
std::string ProfilePath();

uint32_t ReadNumber(const std::string& section, const std::string& key, uint32_t defaultValue);
// Replaces the file atomically under a cross-process lock; false when
// it could not be written.
bool WriteNumber(const std::string& section, const std::string& key, uint32_t value);

} // namespace mirovan::profile
