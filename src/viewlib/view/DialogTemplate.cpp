#include "viewlib/view/DialogTemplate.h"

#include <QFile>
#include <QFontMetrics>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <stdexcept>

// Qt's resource initialiser lives outside any namespace.
static void EnsureResources() { Q_INIT_RESOURCE(viewlib); }

namespace mirovan {
namespace {

const QJsonObject& Resources()
{
    static const QJsonObject root = [] {
        EnsureResources();
        QFile file(QStringLiteral(":/mirovan/viewlib.json"));
        if (!file.open(QIODevice::ReadOnly))
            throw std::runtime_error("view library resources missing");
        return QJsonDocument::fromJson(file.readAll()).object();
    }();
    return root;
}

} // namespace

const DialogControl* DialogTemplate::Control(int id) const
{
    for (const auto& c : controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

QRect DialogTemplate::ToPixels(const QRect& du) const
{
    const QFontMetrics fm(font);
    // The platform's average: the width of the 52 letters, halved and rounded.
    const int baseX = (fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 26 + 1) / 2;
    const int baseY = fm.height();
    return QRect(du.x() * baseX / 4, du.y() * baseY / 8, du.width() * baseX / 4, du.height() * baseY / 8);
}

QSize DialogTemplate::ToPixels(const QSize& du) const { return ToPixels(QRect(QPoint(0, 0), du)).size(); }

DialogTemplate LoadDialogTemplate(int id)
{
    const QJsonObject d = Resources().value(QStringLiteral("dialogs")).toObject().value(QString::number(id)).toObject();
    DialogTemplate t;
    t.font = QFont(d.value(QStringLiteral("font")).toString());
    t.font.setPointSize(d.value(QStringLiteral("pointSize")).toInt(9));
    t.size = QSize(d.value(QStringLiteral("width")).toInt(), d.value(QStringLiteral("height")).toInt());
    for (const auto& v : d.value(QStringLiteral("controls")).toArray()) {
        const QJsonObject c = v.toObject();
        t.controls.push_back({c.value(QStringLiteral("id")).toInt(), c.value(QStringLiteral("kind")).toString(),
                              QRect(c.value(QStringLiteral("x")).toInt(), c.value(QStringLiteral("y")).toInt(),
                                    c.value(QStringLiteral("w")).toInt(), c.value(QStringLiteral("h")).toInt()),
                              c.value(QStringLiteral("text")).toString()});
    }
    return t;
}

QStringList ResourceStrings(const QString& name)
{
    QStringList out;
    for (const auto& v : Resources().value(QStringLiteral("strings")).toObject().value(name).toArray())
        out << v.toString();
    return out;
}

} // namespace mirovan
