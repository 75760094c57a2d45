#include "program/shell/Dialogs.h"

#include "program/shell/ShellResources.h"

#include <QPushButton>

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

} // namespace mirovan::shell
