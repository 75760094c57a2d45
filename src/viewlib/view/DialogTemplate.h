#pragma once
// Dialog templates kept as data in the resources: controls with ids,
// positions in dialog units and their texts.
#include <QFont>
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
};

struct DialogTemplate {
    QFont font;
    QSize size; // dialog units
    std::vector<DialogControl> controls;

    const DialogControl* Control(int id) const;
    // Dialog units to pixels with the template's font, as the platform
    // converts them: x by a quarter of the average character width,
    // y by an eighth of the character height.
    QRect ToPixels(const QRect& dialogUnits) const;
    QSize ToPixels(const QSize& dialogUnits) const;
};

// The template of a dialog id from the view library's resources.
DialogTemplate LoadDialogTemplate(int id);
QStringList ResourceStrings(const QString& name);

} // namespace mirovan
