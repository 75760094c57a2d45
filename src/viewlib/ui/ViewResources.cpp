#include "viewlib/ui/ViewResources.h"

#include <QJsonArray>
#include <QJsonObject>
#include <stdexcept>

// Qt's resource initialiser lives outside any namespace.
static void EnsureResources() { Q_INIT_RESOURCE(viewlib); }

namespace mirovan::view {
namespace {

const QJsonObject& Resources()
{
    static const QJsonObject root = [] {
        EnsureResources();
        return ReadResourceFile(QStringLiteral(":/mirovan/viewlib.json"));
    }();
    return root;
}

} // namespace

DialogTemplate LoadDialogTemplate(int id)
{
    return ParseDialogTemplate(Resources().value(QStringLiteral("dialogs")).toObject(), id);
}

QStringList ResourceStrings(const QString& name)
{
    QStringList out;
    for (const auto& v : Resources().value(QStringLiteral("strings")).toObject().value(name).toArray())
        out << v.toString();
    return out;
}

QString ResourceString(const QString& name)
{
    return Resources().value(QStringLiteral("strings")).toObject().value(name).toString();
}

} // namespace mirovan::view
