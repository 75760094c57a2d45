#include "support/ProductFolders.h"

#include "support/ProductNames.h"
#include "support/platform/Platform.h"

namespace mirovan::settings {

std::string ConfigFolder() { return platform::JoinPath(platform::ConfigHome(), kMaker); }

std::string MachineConfigFolder() { return platform::JoinPath(platform::FirstConfigDir(), kMaker); }

std::string DataFolder() { return platform::JoinPath(platform::DataHome(), kMaker); }

} // namespace mirovan::settings
