#include "viewlib/view/ViewFonts.h"

#include "support/Codepage.h"
#include "viewlib/grid/ViewSettings.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace mirovan {

QFont PointFont(const char* faceCp932, int tenthsOfPoint, int dpiY)
{
    const std::string face(faceCp932, strnlen(faceCp932, 63));
    const std::string cut = face.substr(0, WholeCharacterPrefix(face, 31));
    QFont font(QString::fromStdString(codepage::ToUtf8Lossy(cut)));
    const long long pixels = static_cast<long long>(tenthsOfPoint) * dpiY / 720;
    // A size of 0 leaves the height to the font system, as the platform's
    // font mapper does; absurd sizes are kept within what Qt can draw.
    if (pixels > 0)
        font.setPixelSize(static_cast<int>(std::min<long long>(pixels, 2000)));
    return font;
}

void InstallFontSubstitutions()
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho"));
}

} // namespace mirovan
