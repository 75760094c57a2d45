#include "program/shell/ShellResources.h"

#include "guisupport/QtText.h"
#include "program/groupdata/ProgramStrings.h"

#include <QJsonArray>
#include <QJsonObject>
#include <stdexcept>
#include <string>

// Qt's resource initialiser lives outside any namespace.
static void EnsureProgramResources() { Q_INIT_RESOURCE(program); }

namespace mirovan::shell {
namespace {

const QJsonObject& Resources()
{
    static const QJsonObject root = [] {
        EnsureProgramResources();
        return ReadResourceFile(QStringLiteral(":/mirovan/program.json"));
    }();
    return root;
}

QJsonObject Section(const char* name) { return Resources().value(QLatin1String(name)).toObject(); }

} // namespace

DialogTemplate LoadDialogTemplate(int id) { return ParseDialogTemplate(Section("dialogs"), id); }

std::vector<MenuPopup> LoadMenu(int id)
{
    std::vector<MenuPopup> out;
    for (const auto& p : Section("menus").value(QString::number(id)).toArray()) {
        const QJsonObject po = p.toObject();
        MenuPopup popup;
        popup.title = po.value(QStringLiteral("title")).toString();
        for (const auto& i : po.value(QStringLiteral("items")).toArray()) {
            const QJsonObject io = i.toObject();
            popup.items.push_back(
                {io.value(QStringLiteral("id")).toInt(), io.value(QStringLiteral("text")).toString()});
        }
        out.push_back(std::move(popup));
    }
    return out;
}

std::vector<Accelerator> LoadAccelerators(int id)
{
    std::vector<Accelerator> out;
    for (const auto& a : Section("accelerators").value(QString::number(id)).toArray()) {
        const QJsonObject o = a.toObject();
        out.push_back({QKeySequence(o.value(QStringLiteral("key")).toString(), QKeySequence::PortableText),
                       o.value(QStringLiteral("id")).toInt()});
    }
    return out;
}

KeyTable LoadKeyTable()
{
    const QJsonObject keys = Section("keys");
    KeyTable out;
    for (const auto& c : keys.value(QStringLiteral("columns")).toArray())
        out.columns << c.toString();
    for (const auto& r : keys.value(QStringLiteral("rows")).toArray()) {
        QStringList row;
        for (const auto& cell : r.toArray())
            row << cell.toString();
        if (row.size() != out.columns.size())
            throw std::runtime_error("key list row " + std::to_string(out.rows.size() + 1) +
                                     " does not fill its columns");
        out.rows.push_back(std::move(row));
    }
    if (out.columns.isEmpty() || out.rows.empty())
        throw std::runtime_error("the key list is missing from the program's resources");
    return out;
}

QString ResourceString(int id) { return qttext::FromUtf8(ProgramString(static_cast<unsigned>(id))); }

QIcon ResourceIcon(int id)
{
    const QString file = Section("icons").value(QString::number(id)).toString();
    return file.isEmpty() ? QIcon() : QIcon(QStringLiteral(":/mirovan/") + file);
}

} // namespace mirovan::shell
