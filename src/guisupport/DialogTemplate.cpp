#include "guisupport/DialogTemplate.h"

#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <stdexcept>
#include <string>

namespace mirovan {

const DialogControl* DialogTemplate::Control(int id) const
{
    for (const auto& c : controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

QRect DialogTemplate::ToPixels(const QRect& du) const
{
    // The templates were laid out for faces whose Latin letters average
    // half an em; the look-alike faces installed here have wider ones, so
    // measuring them would widen every dialog past its design. The base
    // therefore comes from the em, which the Japanese texts fill alike.
    const int em = QFontInfo(font).pixelSize();
    const int baseX = std::max(1, (em + 1) / 2);
    const int baseY = QFontMetrics(font).height();
    return QRect(du.x() * baseX / 4, du.y() * baseY / 8, du.width() * baseX / 4, du.height() * baseY / 8);
}

QSize DialogTemplate::ToPixels(const QSize& du) const { return ToPixels(QRect(QPoint(0, 0), du)).size(); }

QJsonObject ReadResourceFile(const QString& resourcePath)
{
    QFile file(resourcePath);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("resource file missing: " + resourcePath.toStdString());
    return QJsonDocument::fromJson(file.readAll()).object();
}

DialogTemplate ParseDialogTemplate(const QJsonObject& dialogs, int id)
{
    const QJsonObject d = dialogs.value(QString::number(id)).toObject();
    if (d.isEmpty())
        throw std::runtime_error("dialog template " + std::to_string(id) + " is missing");
    DialogTemplate t;
    t.title = d.value(QStringLiteral("title")).toString();
    t.font = QFont(d.value(QStringLiteral("font")).toString());
    t.font.setPointSize(d.value(QStringLiteral("pointSize")).toInt(9));
    t.size = QSize(d.value(QStringLiteral("width")).toInt(), d.value(QStringLiteral("height")).toInt());
    for (const auto& v : d.value(QStringLiteral("controls")).toArray()) {
        const QJsonObject o = v.toObject();
        DialogControl c;
        c.id = o.value(QStringLiteral("id")).toInt();
        c.kind = o.value(QStringLiteral("kind")).toString();
        c.rect = QRect(o.value(QStringLiteral("x")).toInt(), o.value(QStringLiteral("y")).toInt(),
                       o.value(QStringLiteral("w")).toInt(), o.value(QStringLiteral("h")).toInt());
        c.text = o.value(QStringLiteral("text")).toString();
        c.tip = o.value(QStringLiteral("tip")).toString();
        c.icon = o.value(QStringLiteral("icon")).toInt();
        c.buddy = o.value(QStringLiteral("buddy")).toInt();
        c.minimum = o.value(QStringLiteral("min")).toInt();
        c.maximum = o.value(QStringLiteral("max")).toInt();
        for (const auto& item : o.value(QStringLiteral("items")).toArray())
            c.items << item.toString();
        t.controls.push_back(std::move(c));
    }
    return t;
}

} // namespace mirovan
