#include "support/registry/SettingsTable.h"

#include "support/platform/Platform.h"

#include <initializer_list>

namespace mirovan::settings {
namespace {

// The keys are spelled out for reading; these keep them the maker's and
// the product's.
constexpr bool Spells(std::string_view key, std::initializer_list<std::string_view> parts)
{
    for (const std::string_view part : parts) {
        if (!key.starts_with(part))
            return false;
        key.remove_prefix(part.size());
        if (!key.empty() && !key.starts_with('\\'))
            return false;
        if (!key.empty())
            key.remove_prefix(1);
    }
    return key.empty();
}
static_assert(Spells(kProgram, {"Software", kMaker, kProduct}));
static_assert(Spells(kProperty, {"Software", kMaker, kProduct, "Property"}));
static_assert(Spells(kSelected, {"Software", kMaker, kProduct, "Selected"}));
static_assert(Spells(kLegacyProgram, {kLegacyMaker, kProduct}));
static_assert(Spells(kLegacyProperty, {kLegacyMaker, kProduct, "Property"}));

} // namespace

std::string ConfigFolder() { return platform::JoinPath(platform::ConfigHome(), kMaker); }

std::string MachineConfigFolder() { return platform::JoinPath(platform::FirstConfigDir(), kMaker); }

std::string DataFolder() { return platform::JoinPath(platform::DataHome(), kMaker); }

std::string ProductId(std::string_view language)
{
    return "-//" + std::string(kMaker) + "//" + kProduct + "//" + std::string(language);
}

} // namespace mirovan::settings
