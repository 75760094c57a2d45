#include "program/shell/ShellUi.h"

#include "guisupport/ModalCursor.h"
#include "guisupport/QtText.h"
#include "program/shell/FontDialog.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace mirovan::shell {

void QtShellUi::ShowMessage(const std::string& text, MessageIcon icon)
{
    QMessageBox::Icon qicon = QMessageBox::Warning;
    switch (icon) {
    case MessageIcon::Exclamation: qicon = QMessageBox::Warning; break;
    case MessageIcon::Stop: qicon = QMessageBox::Critical; break;
    case MessageIcon::Information: qicon = QMessageBox::Information; break;
    case MessageIcon::Question: qicon = QMessageBox::Question; break;
    }
    QMessageBox box(qicon, QStringLiteral("Mirovan"), qttext::FromUtf8(text), QMessageBox::Ok, m_owner);
    ExecModal(box);
}

void QtShellUi::BeginWait() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void QtShellUi::EndWait() { QApplication::restoreOverrideCursor(); }

bool QtShellUi::AskYesNo(const QString& text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Mirovan"), text, QMessageBox::Yes | QMessageBox::No,
                    m_owner);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
    return ExecModal(box) == QMessageBox::Yes;
}

std::optional<QString> QtShellUi::ChooseFile(const FileDialogRequest& r)
{
    QFileDialog dialog(m_owner, r.title, r.folder, r.filter);
    dialog.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(r.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(r.defaultSuffix);
    if (!r.proposedName.isEmpty())
        dialog.selectFile(r.proposedName);
    if (ExecModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}

std::optional<QFont> QtShellUi::ChooseFont(const QFont& initial)
{
    FontDialog dialog(m_owner);
    dialog.setOptions(dialog.options() | QFontDialog::ScalableFonts | QFontDialog::NonScalableFonts);
    dialog.Start(initial);
    if (ExecModal(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.Chosen();
}

int QtShellUi::RunDialog(QDialog& dialog) { return ExecModal(dialog); }

} // namespace mirovan::shell
