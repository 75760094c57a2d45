#include "program/shell/Dialogs.h"

#include "program/shell/ShellResources.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <stdexcept>

namespace mirovan::shell {

std::unique_ptr<QDialog> BuildTemplateDialog(int id, QWidget* owner)
{
    const DialogTemplate t = LoadDialogTemplate(id);
    auto dialog = std::make_unique<QDialog>(owner);
    dialog->setWindowTitle(t.title);
    dialog->setWindowIcon(ResourceIcon(102));
    dialog->setObjectName(QStringLiteral("dialog%1").arg(id));
    const auto controls = BuildControls(dialog.get(), t, ResourceIcon);
    dialog->setFixedSize(t.ToPixels(t.size));
    if (auto* ok = qobject_cast<QPushButton*>(controls.value(1))) {
        QObject::connect(ok, &QPushButton::clicked, dialog.get(), &QDialog::accept);
        ok->setFocus();
    }
    return dialog;
}

std::unique_ptr<QDialog> BuildKeyListDialog(QWidget* owner)
{
    auto dialog = BuildTemplateDialog(131, owner);
    auto* list = dialog->findChild<QTreeWidget*>(QStringLiteral("c1040"));
    if (!list)
        throw std::runtime_error("the key list dialog has no list");
    const KeyTable keys = LoadKeyTable();
    list->setColumnCount(static_cast<int>(keys.columns.size()));
    list->setHeaderLabels(keys.columns);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (const QStringList& row : keys.rows)
        list->addTopLevelItem(new QTreeWidgetItem(row));
    list->resizeColumnToContents(0);
    // Item views take no name from a buddy label.
    list->setAccessibleName(dialog->windowTitle());
    // A screen reader starts on the first key rather than on the button.
    list->setCurrentItem(list->topLevelItem(0));
    list->setFocus();
    return dialog;
}

} // namespace mirovan::shell
