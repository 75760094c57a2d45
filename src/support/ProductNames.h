#pragma once
// The names every file, key and folder of Mirovan is spelled from: the
// maker's (also its folder and its key below "Software") and the
// product's. No other file spells them.
#include <initializer_list>
#include <string>
#include <string_view>

namespace mirovan::settings {

constexpr const char* kMaker = "Tavric";
constexpr const char* kProduct = "Mirovan";
// The product's folders below the installation prefix.
constexpr const char* kInstalledData = "share/mirovan";
constexpr const char* kInstalledLibraries = "lib/mirovan";

// Registry keys below the current user and the local machine.
constexpr const char* kProgram = "Software\\Tavric\\Mirovan";
constexpr const char* kProperty = "Software\\Tavric\\Mirovan\\Property";
constexpr const char* kSelected = "Software\\Tavric\\Mirovan\\Selected";
// Where other programs look up an installed program's path.
constexpr const char* kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Mirovan.exe";
// Where the maker's earlier name kept the same keys; moved once.
constexpr const char* kLegacyMaker = "Software\\Brenlow";
constexpr const char* kLegacyProgram = "Software\\Brenlow\\Mirovan";
constexpr const char* kLegacyProperty = "Software\\Brenlow\\Mirovan\\Property";
// The private profile's section.
constexpr const char* kProfileSection = "Property";

// Files in the maker's folders.
constexpr const char* kUserHiveFile = "user.reg";
constexpr const char* kMachineHiveFile = "machine.reg";
constexpr const char* kProfileFile = "Mirovan.INI";
// The diagnostic log: the variable naming it, the file otherwise, and the
// start of each line.
constexpr const char* kLogVariable = "TAVRIC_LOG";
constexpr const char* kLogFile = "/tmp/tavric.log";
constexpr const char* kLogLinePrefix = "TavricApp";

// The product's name for files that name their maker ("-//Tavric//Mirovan//JA").
inline std::string ProductId(std::string_view language)
{
    return "-//" + std::string(kMaker) + "//" + kProduct + "//" + std::string(language);
}

namespace names_check {

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

} // namespace names_check

} // namespace mirovan::settings
