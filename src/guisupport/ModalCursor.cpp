#include "guisupport/ModalCursor.h"

#include "guisupport/ScreenFit.h"

#include <QApplication>
#include <QDialog>

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
    return dialog.exec();
}

} // namespace mirovan
