#pragma once
// The program's settings as one block, and the packing of the window placement.
#include "interface/MirovanView.h"
#include "support/FaceName.h"
#include "support/settings/SettingsTable.h"

#include <cstdint>
#include <string>

namespace mirovan::shell {

constexpr uint32_t kSettingsVersion = 220;

constexpr int32_t Default(const settings::Number& value) { return static_cast<int32_t>(value.fallback); }

struct ShellSettings {
    VIEWFONTS fonts{}; // Spare mirrors noMemDC for the options page
    int32_t noMemDC = Default(settings::kNoMemDC);
    int32_t endTime = Default(settings::kEndTime);
    int32_t mode = Default(settings::kMode);
    int32_t random = Default(settings::kRandom);
    int32_t defColor = Default(settings::kDefColor);
    int32_t window = Default(settings::kWindow); // 0 normal, 1 minimised, 2 maximised
    int32_t autoRefresh = Default(settings::kAutoRefresh);
    std::string group;
    std::string user;
    std::string personal;
};

// The defaults of a registry without any value.
ShellSettings DefaultSettings();

// Reads every value in the system's order; loginName fills an empty User.
// Returns Ver, which nothing uses.
uint32_t LoadSettings(ShellSettings& settings, const std::string& loginName);
// False when a path (Group, Personal) could not be stored, for the caller
// to report: the user would find it gone at the next start.
[[nodiscard]] bool SaveSettings(const ShellSettings& settings);

// The block the view takes for the chosen faces and sizes; Spare carries
// noMemDC.
VIEWFONTS MakeViewFonts(const std::string& dateFace, int32_t dateSize, const std::string& scheduleFace,
                        int32_t scheduleSize, int32_t noMemDC);

// XPOS holds left and right, YPOS top and bottom, 16 bits each.
struct Placement {
    int left = 50;
    int top = 50;
    int right = 600;
    int bottom = 400;
};

Placement UnpackPlacement(uint32_t xpos, uint32_t ypos);
// Coordinates outside 0..65535 cannot be stored in 16 bits: the
// rectangle is moved, keeping its size, until it starts at 0 or more.
void PackPlacement(const Placement& placement, uint32_t& xpos, uint32_t& ypos);

} // namespace mirovan::shell
