#include "program/shellcore/Settings.h"

#include "support/Codepage.h"
#include "support/registry/Registry.h"
#include "support/registry/SettingsKeys.h"

#include <algorithm>
#include <cstring>

namespace mirovan::shell {
namespace {

using registry::Root;

int32_t ReadInt(const char* name, int32_t defaultValue)
{
    return static_cast<int32_t>(registry::ReadNumber(Root::CurrentUser, keys::kProperty, name, static_cast<uint32_t>(defaultValue)));
}

std::string ReadString(const char* name, const std::string& defaultText)
{
    return registry::ReadText(Root::CurrentUser, keys::kProperty, name, defaultText);
}

bool WriteInt(const char* name, int32_t value)
{
    return registry::WriteNumber(Root::CurrentUser, keys::kProperty, name, static_cast<uint32_t>(value));
}

void WriteString(const char* name, const std::string& text) { registry::WriteText(Root::CurrentUser, keys::kProperty, name, text); }

std::string ReadPath(const char* name) { return registry::ReadPath(Root::CurrentUser, keys::kProperty, name); }

bool WritePath(const char* name, const std::string& path)
{
    return registry::WritePath(Root::CurrentUser, keys::kProperty, name, path);
}

std::string Cp932(const char* utf8) { return codepage::FromUtf8(utf8).value_or(std::string()); }

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
    SetFaceName(s.fonts.Font0, Cp932("ＭＳ Ｐゴシック"));
    SetFaceName(s.fonts.Font1, Cp932("ＭＳ Ｐ明朝"));
    s.fonts.FontSize0 = 110;
    s.fonts.FontSize1 = 100;
    return s;
}

uint32_t LoadSettings(ShellSettings& s, const std::string& loginName)
{
    const ShellSettings d = DefaultSettings();
    const uint32_t version = static_cast<uint32_t>(ReadInt(keys::kVersion, 0));
    s.noMemDC = ReadInt(keys::kNoMemDC, 0);
    s.fonts.Spare = s.noMemDC;
    SetFaceName(s.fonts.Font0, ReadString(keys::kFont0, d.fonts.Font0));
    SetFaceName(s.fonts.Font1, ReadString(keys::kFont1, d.fonts.Font1));
    s.fonts.FontSize0 = ReadInt(keys::kFontSize0, d.fonts.FontSize0);
    s.fonts.FontSize1 = ReadInt(keys::kFontSize1, d.fonts.FontSize1);
    s.endTime = ReadInt(keys::kEndTime, d.endTime);
    s.mode = ReadInt("Mode", d.mode);
    s.random = ReadInt("Random", d.random);
    s.defColor = ReadInt("DefColor", d.defColor);
    s.window = ReadInt("Window", d.window);
    s.autoRefresh = ReadInt(keys::kAutoRefresh, d.autoRefresh);
    s.group = ReadPath(keys::kGroup);
    s.user = ReadString("User", "");
    s.personal = ReadPath(keys::kPersonal);
    if (s.user.empty())
        s.user = loginName.substr(0, 1024);
    ReadInt("Weekend", 3); // read as the system does; never used or written
    return version;
}

bool SaveSettings(const ShellSettings& s)
{
    // A file that refuses the first value (read-only, full, its lock held
    // by another copy) refuses the rest too, and each would wait for the
    // lock again: the exit would hang for minutes.
    if (!WriteInt(keys::kFontSize0, s.fonts.FontSize0))
        return false;
    WriteInt(keys::kFontSize1, s.fonts.FontSize1);
    WriteString(keys::kFont0, std::string(s.fonts.Font0, strnlen(s.fonts.Font0, sizeof s.fonts.Font0)));
    WriteString(keys::kFont1, std::string(s.fonts.Font1, strnlen(s.fonts.Font1, sizeof s.fonts.Font1)));
    WriteInt(keys::kNoMemDC, s.noMemDC);
    WriteInt(keys::kEndTime, s.endTime);
    WriteInt("DefColor", s.defColor);
    WriteInt("Mode", s.mode);
    const bool groupKept = WritePath(keys::kGroup, s.group);
    WriteString("User", s.user);
    WriteInt("Random", s.random);
    WriteInt(keys::kVersion, static_cast<int32_t>(kSettingsVersion));
    WriteInt("Window", s.window);
    WriteInt(keys::kAutoRefresh, s.autoRefresh);
    const bool personalKept = WritePath(keys::kPersonal, s.personal);
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
