#pragma once
// The program's resources kept as data (resources/program.json): dialog
// templates with dialog-unit geometry, menu 104, accelerator table 103,
// the key list, the string table and the icons.
#include "guisupport/DialogBuilder.h"
#include "guisupport/DialogTemplate.h"

#include <QFont>
#include <QIcon>
#include <QKeySequence>
#include <QMap>
#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

namespace mirovan::shell {

DialogTemplate LoadDialogTemplate(int id);

struct MenuItem {
    int id = 0; // 0 for a separator
    QString text;
};
struct MenuPopup {
    QString title;
    std::vector<MenuItem> items;
};
std::vector<MenuPopup> LoadMenu(int id);

struct Accelerator {
    QKeySequence key;
    int command = 0;
};
std::vector<Accelerator> LoadAccelerators(int id);

// The keys the Help menu lists, as rows of the named columns.
struct KeyTable {
    QStringList columns;
    std::vector<QStringList> rows;
};
// Throws when a row does not fill the columns.
KeyTable LoadKeyTable();

QString ResourceString(int id);
QIcon ResourceIcon(int id);

} // namespace mirovan::shell
