#include "program/shellcore/Settings.h"

#include "support/settings/SettingsStore.h"

#include <algorithm>
#include <cstring>

namespace mirovan::shell {
namespace {

int32_t ReadInt(const settings::Number& value) { return static_cast<int32_t>(settings::Read(value)); }

bool WriteInt(const settings::Number& value, int32_t number)
{
    return settings::Write(value, static_cast<uint32_t>(number));
}

std::string Face(const char (&field)[64]) { return std::string(field, strnlen(field, sizeof field)); }

} // namespace

VIEWFONTS MakeViewFonts(const std::string& dateFace, int32_t dateSize, const std::string& scheduleFace,
                        int32_t scheduleSize, int32_t noMemDC)
{
    VIEWFONTS fonts{};
    fonts.Spare = noMemDC;
    SetFaceName(fonts.Font0, dateFace);
    SetFaceName(fonts.Font1, scheduleFace);
    fonts.FontSize1 = scheduleSize;
    fonts.FontSize0 = dateSize;
    return fonts;
}

ShellSettings DefaultSettings()
{
    ShellSettings s;
    SetFaceName(s.fonts.Font0, settings::DefaultText(settings::kFont0));
    SetFaceName(s.fonts.Font1, settings::DefaultText(settings::kFont1));
    s.fonts.FontSize0 = static_cast<int32_t>(settings::kFontSize0.fallback);
    s.fonts.FontSize1 = static_cast<int32_t>(settings::kFontSize1.fallback);
    return s;
}

uint32_t LoadSettings(ShellSettings& s, const std::string& loginName)
{
    const uint32_t version = settings::Read(settings::kVersion);
    s.noMemDC = ReadInt(settings::kNoMemDC);
    s.fonts.Spare = s.noMemDC;
    SetFaceName(s.fonts.Font0, settings::Read(settings::kFont0));
    SetFaceName(s.fonts.Font1, settings::Read(settings::kFont1));
    s.fonts.FontSize0 = ReadInt(settings::kFontSize0);
    s.fonts.FontSize1 = ReadInt(settings::kFontSize1);
    s.endTime = ReadInt(settings::kEndTime);
    s.mode = ReadInt(settings::kMode);
    s.random = ReadInt(settings::kRandom);
    s.defColor = ReadInt(settings::kDefColor);
    s.window = ReadInt(settings::kWindow);
    s.autoRefresh = ReadInt(settings::kAutoRefresh);
    s.group = settings::Read(settings::kGroup);
    s.user = settings::Read(settings::kUser);
    s.personal = settings::Read(settings::kPersonal);
    if (s.user.empty())
        s.user = loginName.substr(0, 1024);
    settings::Read(settings::kWeekend); // read as the system does; never used or written
    return version;
}

bool SaveSettings(const ShellSettings& s)
{
    // A file that refuses the first value (read-only, full, its lock held
    // by another copy) refuses the rest too, and each would wait for the
    // lock again: the exit would hang for minutes.
    if (!WriteInt(settings::kFontSize0, s.fonts.FontSize0))
        return false;
    WriteInt(settings::kFontSize1, s.fonts.FontSize1);
    settings::Write(settings::kFont0, Face(s.fonts.Font0));
    settings::Write(settings::kFont1, Face(s.fonts.Font1));
    WriteInt(settings::kNoMemDC, s.noMemDC);
    WriteInt(settings::kEndTime, s.endTime);
    WriteInt(settings::kDefColor, s.defColor);
    WriteInt(settings::kMode, s.mode);
    const bool groupKept = settings::Write(settings::kGroup, s.group);
    settings::Write(settings::kUser, s.user);
    WriteInt(settings::kRandom, s.random);
    settings::Write(settings::kVersion, kSettingsVersion);
    WriteInt(settings::kWindow, s.window);
    WriteInt(settings::kAutoRefresh, s.autoRefresh);
    const bool personalKept = settings::Write(settings::kPersonal, s.personal);
    return groupKept && personalKept;
}

Placement UnpackPlacement(uint32_t xpos, uint32_t ypos)
{
    Placement p;
    p.left = static_cast<int>(xpos >> 16);
    p.right = static_cast<int>(xpos & 0xFFFF);
    p.top = static_cast<int>(ypos >> 16);
    p.bottom = static_cast<int>(ypos & 0xFFFF);
    return p;
}

void PackPlacement(const Placement& placement, uint32_t& xpos, uint32_t& ypos)
{
    // Shift into 0..65535 on each axis, keeping the size where it fits.
    auto fit = [](int low, int high, uint32_t& packed) {
        if (high < low)
            std::swap(low, high);
        const int size = std::min(high - low, 65535);
        if (low < 0)
            low = 0;
        if (low > 65535 - size)
            low = 65535 - size;
        high = low + size;
        packed = (static_cast<uint32_t>(low) << 16) | static_cast<uint32_t>(high);
    };
    fit(placement.left, placement.right, xpos);
    fit(placement.top, placement.bottom, ypos);
}

} // namespace mirovan::shell
