#include "viewlib/view/ViewFonts.h"

#include "guisupport/QtText.h"
#include "support/Codepage.h"
#include "viewlib/grid/ViewSettings.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace mirovan::view {

QFont PointFont(const char* faceCp932, int tenthsOfPoint, int dpiY)
{
    const std::string face(faceCp932, strnlen(faceCp932, 63));
    const std::string cut = face.substr(0, codepage::WholeCharacterPrefix(face, 31));
    QFont font(qttext::FromCp932(cut));
    const long long pixels = static_cast<long long>(tenthsOfPoint) * dpiY / 720;
    // A size of 0 leaves the height to the font system, as the platform's
    // font mapper does; absurd sizes are kept within what Qt can draw.
    if (pixels > 0)
        font.setPixelSize(static_cast<int>(std::min<long long>(pixels, 2000)));
    return font;
}

} // namespace mirovan::view
