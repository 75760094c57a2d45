#pragma once
// Dialog templates kept as data: controls with ids, positions in dialog
// units and their texts. Compiled into both deliverables, each reading
// its own resources.
#include <QFont>
#include <QJsonObject>
#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

namespace mirovan {

struct DialogControl {
    int id = 0;
    QString kind;
    QRect rect; // dialog units
    QString text;
    QString tip;
    int icon = 0;
    int buddy = 0; // an up-down's edit; the field a label names
    int minimum = 0;
    int maximum = 0;
    QStringList items;
};

struct DialogTemplate {
    QString title;
    QFont font;
    QSize size; // dialog units
    std::vector<DialogControl> controls;

    const DialogControl* Control(int id) const;
    // Dialog units to pixels with the template's font: x by a quarter of
    // the average character width, y by an eighth of the character height.
    QRect ToPixels(const QRect& dialogUnits) const;
    QSize ToPixels(const QSize& dialogUnits) const;
};

// The JSON object of a resource file compiled into the binary; throws
// naming the file when it is missing.
QJsonObject ReadResourceFile(const QString& resourcePath);

// The template of a dialog id from a "dialogs" object of resources;
// throws when it is missing.
DialogTemplate ParseDialogTemplate(const QJsonObject& dialogs, int id);

} // namespace mirovan
