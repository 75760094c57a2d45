#include "viewlib/ui/ViewUi.h"

#include "guisupport/ModalCursor.h"
#include "guisupport/QtText.h"
#include "viewlib/ui/ViewResources.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>

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

FailedSaveChoice ViewUi::AskAboutFailedSave(const FailedSave& failure, std::string& otherPath)
{
    otherPath.clear();
    const QStringList texts = ResourceStrings(QStringLiteral("failedSave"));
    if (texts.size() < 7)
        return IUserInterface::AskAboutFailedSave(failure, otherPath);
    const ArrowCursorWhileModal arrow; // also over the file dialog below
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Mirovan"), qttext::FromUtf8(failure.text.c_str()),
                    QMessageBox::NoButton, m_parent);
    box.setObjectName(QStringLiteral("failedSave"));
    box.setInformativeText(texts[0]);
    QPushButton* retry = box.addButton(texts[1], QMessageBox::AcceptRole);
    QPushButton* elsewhere = box.addButton(texts[2], QMessageBox::ActionRole);
    QPushButton* drop = box.addButton(texts[3], QMessageBox::DestructiveRole);
    QPushButton* cancel = failure.mayCancel ? box.addButton(texts[4], QMessageBox::RejectRole) : nullptr;
    box.setDefaultButton(retry);
    // Escape never drops the memos.
    box.setEscapeButton(cancel ? cancel : retry);
    ExecModal(box);
    FailedSaveChoice choice = FailedSaveChoice::Retry;
    if (box.clickedButton() == drop) {
        choice = FailedSaveChoice::Drop;
    } else if (cancel && box.clickedButton() == cancel) {
        choice = FailedSaveChoice::Cancel;
    } else if (box.clickedButton() == elsewhere) {
        // A folder that is gone would be taken for the file's name.
        QString folder = qttext::FromNativePath(failure.startFolder);
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (!QFileInfo(folder).isDir())
            folder = QDir::homePath();
        QFileDialog dialog(m_parent, texts[5], folder, texts[6]);
        if (!failure.proposedName.empty())
            dialog.selectFile(QDir(folder).filePath(qttext::FromNativePath(failure.proposedName)));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QStringLiteral("mvp"));
        // Nothing chosen: the question comes again.
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            otherPath = qttext::ToNativePath(dialog.selectedFiles().front());
            choice = FailedSaveChoice::SaveElsewhere;
        }
    }
    return choice;
}

bool ViewUi::AskQuestion(Question question, const std::vector<std::string>& arguments)
{
    const char* name = "";
    switch (question) {
    case Question::RestoreSpareCopy: name = "restoreSpareCopy"; break;
    case Question::SaveThroughNewLink: name = "saveThroughNewLink"; break;
    }
    // Both at once: a path holding "%2" must stay as it is.
    const auto argument = [&](size_t i) { return qttext::FromUtf8(i < arguments.size() ? arguments[i].c_str() : ""); };
    const QString text = ResourceString(QString::fromLatin1(name)).arg(argument(0), argument(1));
    QMessageBox box(QMessageBox::Question, QStringLiteral("Mirovan"), text, QMessageBox::Yes | QMessageBox::No,
                    m_parent);
    box.setObjectName(QString::fromLatin1(name));
    box.setDefaultButton(QMessageBox::Yes);
    return ExecModal(box) == QMessageBox::Yes;
}

void ViewUi::BeginWait() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void ViewUi::EndWait() { QApplication::restoreOverrideCursor(); }

} // namespace mirovan::view
