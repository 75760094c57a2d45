#pragma once
// The maker's folders on this machine, from the XDG homes.
#include <string>

namespace mirovan::settings {

// The maker's folder below $XDG_CONFIG_HOME: the user's hive, the
// profile, the user's own holidays.
std::string ConfigFolder();
// The maker's folder in the first of $XDG_CONFIG_DIRS: the machine's hive.
std::string MachineConfigFolder();
// The maker's folder below $XDG_DATA_HOME: the default personal file and
// spare copies.
std::string DataFolder();

} // namespace mirovan::settings
