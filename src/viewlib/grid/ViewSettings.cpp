#include "viewlib/grid/ViewSettings.h"

#include "support/Codepage.h"
#include "support/FaceName.h"
#include "support/settings/SettingsStore.h"

#include <cstring>

namespace mirovan::view {

VIEWFONTS DefaultViewFonts()
{
    VIEWFONTS f{};
    const std::string mincho = codepage::FromUtf8("ＭＳ Ｐ明朝").value();
    SetFaceName(f.Font0, mincho);
    SetFaceName(f.Font1, mincho);
    f.FontSize0 = 100;
    f.FontSize1 = 100;
    return f;
}

void LoadFontSettings(VIEWFONTS& fonts)
{
    const VIEWFONTS defaults = DefaultViewFonts();
    std::memcpy(fonts.Font0, defaults.Font0, sizeof fonts.Font0);
    std::memcpy(fonts.Font1, defaults.Font1, sizeof fonts.Font1);
    // The view keeps its own defaults, not the program's.
    if (const std::string f0 = settings::Read(settings::kFont0, ""); !f0.empty())
        SetFaceName(fonts.Font0, f0);
    if (const std::string f1 = settings::Read(settings::kFont1, ""); !f1.empty())
        SetFaceName(fonts.Font1, f1);
    fonts.FontSize0 =
        static_cast<int32_t>(settings::Read(settings::kFontSize0, static_cast<uint32_t>(defaults.FontSize0)));
    fonts.FontSize1 =
        static_cast<int32_t>(settings::Read(settings::kFontSize1, static_cast<uint32_t>(defaults.FontSize1)));
}

} // namespace mirovan::view
