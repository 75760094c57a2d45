#include "guisupport/ModalCursor.h"

#include "guisupport/ScreenFit.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

namespace mirovan {

ArrowCursorWhileModal::ArrowCursorWhileModal()
{
    if (QApplication::overrideCursor()) {
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        m_covered = true;
    }
}

ArrowCursorWhileModal::~ArrowCursorWhileModal()
{
    if (m_covered)
        QApplication::restoreOverrideCursor();
}

int ExecModal(QDialog& dialog)
{
    const ArrowCursorWhileModal arrow;
    FitWindowsOnScreen();
    // A screen reader announces a message box by its title and reads the
    // description: the whole message, with what is added below it.
    if (auto* box = qobject_cast<QMessageBox*>(&dialog); box && box->accessibleDescription().isEmpty()) {
        QStringList parts{box->text()};
        if (!box->informativeText().isEmpty())
            parts << box->informativeText();
        box->setAccessibleDescription(parts.join(QLatin1Char('\n')));
    }
    return dialog.exec();
}

} // namespace mirovan
