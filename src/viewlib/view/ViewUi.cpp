#include "viewlib/view/ViewUi.h"

#include "guisupport/ModalCursor.h"
#include "guisupport/QtText.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace mirovan::view {

void ViewUi::ShowMessage(const std::string& text, MessageIcon icon)
{
    QMessageBox::Icon qicon = QMessageBox::Warning;
    switch (icon) {
    case MessageIcon::Stop: qicon = QMessageBox::Critical; break;
    case MessageIcon::Information: qicon = QMessageBox::Information; break;
    case MessageIcon::Question: qicon = QMessageBox::Question; break;
    case MessageIcon::Exclamation: qicon = QMessageBox::Warning; break;
    }
    QMessageBox box(qicon, QStringLiteral("Mirovan"), qttext::FromUtf8(text.c_str()), QMessageBox::Ok, m_parent);
    ExecModal(box);
}

FailedSaveChoice ViewUi::AskAboutFailedSave(const std::string& text, std::string& otherPath)
{
    otherPath.clear();
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Mirovan"), qttext::FromUtf8(text.c_str()),
                    QMessageBox::Retry | QMessageBox::Save | QMessageBox::Discard, m_parent);
    box.setDefaultButton(QMessageBox::Retry);
    box.setEscapeButton(QMessageBox::Retry);
    const ArrowCursorWhileModal arrow; // also over the file dialog below
    switch (box.exec()) {
    case QMessageBox::Discard: return FailedSaveChoice::Drop;
    case QMessageBox::Save: {
        const QString chosen = QFileDialog::getSaveFileName(m_parent, QString(), QString(), QStringLiteral("*.mvp"));
        if (chosen.isEmpty())
            return FailedSaveChoice::Retry; // nothing chosen: ask again
        otherPath = qttext::ToNativePath(chosen);
        return FailedSaveChoice::SaveElsewhere;
    }
    default: return FailedSaveChoice::Retry;
    }
}

void ViewUi::BeginWait() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void ViewUi::EndWait() { QApplication::restoreOverrideCursor(); }

} // namespace mirovan::view
