#pragma once
// The program's resources kept as data (resources/program.json): dialog
// templates with dialog-unit geometry, menu 104, accelerator table 103,
// the string table and the icons.
#include "guisupport/DialogTemplate.h"

#include <QFont>
#include <QIcon>
#include <QKeySequence>
#include <QMap>
#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

#include <QWidget>

class QLineEdit;

namespace mirovan::shell {

DialogTemplate LoadDialogTemplate(int id);

// Creates the template's controls as children of parent at their
// pixel positions and returns them by id (ids below 0 are the
// anonymous statics). The parent gets the template's font.
QMap<int, QWidget*> BuildControls(QWidget* parent, const DialogTemplate& dialog);

// The up-down control beside a digits-only edit: it steps the number in
// the edit within its range and writes it back as plain text, which the
// edit's owner sees as an ordinary text change.
class UpDown : public QWidget {
public:
    UpDown(QWidget* parent, int minimum, int maximum);
    void SetBuddy(QLineEdit* buddy) { m_buddy = buddy; }
    void Step(int delta);
    int Minimum() const { return m_minimum; }
    int Maximum() const { return m_maximum; }

private:
    QLineEdit* m_buddy = nullptr;
    int m_minimum;
    int m_maximum;
    int m_position = 0;
};

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

QString ResourceString(int id);
QIcon ResourceIcon(int id);

// Maps the template fonts' face names to the installed look-alikes.
void InstallFontSubstitutions();

} // namespace mirovan::shell
