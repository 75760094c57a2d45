#pragma once
// Message boxes and the wait cursor for the core, as real Qt dialogs.
#include "support/UserInterface.h"

class QWidget;

namespace mirovan::view {

class ViewUi : public IUserInterface {
public:
    explicit ViewUi(QWidget* parent) : m_parent(parent) {}
    void ShowMessage(const std::string& text, MessageIcon icon) override;
    FailedSaveChoice AskAboutFailedSave(const FailedSave& failure, std::string& otherPath) override;
    bool AskQuestion(Question question, const std::vector<std::string>& arguments) override;
    void BeginWait() override;
    void EndWait() override;
    void SetParent(QWidget* parent) { m_parent = parent; }

private:
    QWidget* m_parent;
};

} // namespace mirovan::view
