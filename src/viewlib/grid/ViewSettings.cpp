#include "viewlib/grid/ViewSettings.h"

#include "support/Codepage.h"
#include "support/FaceName.h"
#include "support/registry/Registry.h"
#include "support/registry/SettingsKeys.h"

#include <cstring>

namespace mirovan::view {

VIEWFONTS DefaultViewFonts()
{
    VIEWFONTS f {};
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
    using registry::Root;
    if (const std::string f0 = registry::ReadText(Root::CurrentUser, keys::kProperty, keys::kFont0, ""); !f0.empty())
        SetFaceName(fonts.Font0, f0);
    if (const std::string f1 = registry::ReadText(Root::CurrentUser, keys::kProperty, keys::kFont1, ""); !f1.empty())
        SetFaceName(fonts.Font1, f1);
    fonts.FontSize0 = static_cast<int32_t>(
        registry::ReadNumber(Root::CurrentUser, keys::kProperty, keys::kFontSize0, static_cast<uint32_t>(defaults.FontSize0)));
    fonts.FontSize1 = static_cast<int32_t>(
        registry::ReadNumber(Root::CurrentUser, keys::kProperty, keys::kFontSize1, static_cast<uint32_t>(defaults.FontSize1)));
}

} // namespace mirovan::view
