#pragma once
// The text of a PDF through poppler's pdftotext; empty when it fails.
#include <QProcess>
#include <QString>

namespace mirovan::test {

inline QString PdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(20000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace mirovan::test
