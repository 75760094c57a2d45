#include "guisupport/QtText.h"

#include "support/Codepage.h"

#include <QByteArray>
#include <QFile>

namespace mirovan::qttext {

QString FromCp932(std::string_view cp932) { return FromUtf8(codepage::ToUtf8Lossy(cp932)); }

QString FromCp932Lines(std::string_view cp932)
{
    QString text = FromCp932(cp932);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

Cp932Text ToCp932(const QString& text)
{
    const std::string utf8 = ToUtf8(text);
    Cp932Text out;
    out.bytes = codepage::FromUtf8(utf8);
    if (!out.bytes)
        out.unmappable = codepage::UnmappableCharacters(utf8);
    return out;
}

std::string ToCp932Replacing(const QString& text, const QString& replacement)
{
    return codepage::FromUtf8Replacing(ToUtf8(text), ToCp932(replacement).bytes.value_or(std::string()));
}

QString FromUtf8(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

std::string ToUtf8(const QString& text) { return text.toStdString(); }

QString FromNativePath(std::string_view path)
{
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string ToNativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

} // namespace mirovan::qttext
