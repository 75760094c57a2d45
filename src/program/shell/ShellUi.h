#pragma once
// Everything the shell asks the user, behind one interface so that tests
// can answer instead of a person: message boxes, questions, the file and
// font dialogs, and running a modal dialog.
#include "support/UserInterface.h"

#include <QFont>
#include <QPointer>
#include <QString>
#include <optional>

class QDialog;
class QWidget;

namespace mirovan::shell {

struct FileDialogRequest {
    QString title;
    QString filter;        // in Qt's syntax
    QString defaultSuffix; // without the dot
    QString proposedName;
    QString folder;    // where the dialog starts; empty for Qt's choice
    bool save = false; // a save dialog asks before overwriting
};

class IShellUi : public IUserInterface {
public:
    virtual void SetOwner(QWidget* owner) = 0;
    virtual bool AskYesNo(const QString& text) = 0;
    virtual std::optional<QString> ChooseFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QFont> ChooseFont(const QFont& initial) = 0;
    // Runs a built dialog modally and returns its result code.
    virtual int RunDialog(QDialog& dialog) = 0;
};

// The real dialogs.
class QtShellUi : public IShellUi {
public:
    void SetOwner(QWidget* owner) override { m_owner = owner; }
    void ShowMessage(const std::string& text, MessageIcon icon) override;
    void BeginWait() override;
    void EndWait() override;
    bool AskYesNo(const QString& text) override;
    std::optional<QString> ChooseFile(const FileDialogRequest& request) override;
    std::optional<QFont> ChooseFont(const QFont& initial) override;
    int RunDialog(QDialog& dialog) override;

private:
    // The settings are saved after the main window is gone: their message
    // must not take the dead window as its parent.
    QPointer<QWidget> m_owner;
};

} // namespace mirovan::shell
