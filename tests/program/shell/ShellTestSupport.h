#pragma once
// What the shell tests share: a private home for every test, a user
// interface that answers from a script, and group fixtures.
#include "common/IsolatedEnvironment.h"
#include "common/TempDir.h"
#include "common/Text.h"
#include "program/shell/CMainFrame.h"
#include "program/shell/ShellUi.h"
#include "support/Codepage.h"
#include "tillbrook/TillbrookWriter.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace mirovan::test {

// Points every place the program keeps data at a fresh folder, handing
// out its paths in the forms the shell's calls take.
class IsolatedHome {
public:
    std::string File(const char* name) const { return m_dir.File(name); }
    QString Path() const { return QString::fromStdString(m_dir.Path().string()); }

private:
    TempDir m_dir;
    IsolatedEnvironment m_environment{m_dir.Path()};
};

// Answers the shell's questions and dialogs from queues and records them.
class ScriptedUi : public shell::IShellUi {
public:
    void SetOwner(QWidget*) override {}
    void ShowMessage(const std::string& text, MessageIcon) override
    {
        messages.push_back(text);
        if (onMessage)
            onMessage();
    }
    bool AskYesNo(const QString& text) override
    {
        questions.push_back(text);
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<QString> ChooseFile(const shell::FileDialogRequest& request) override
    {
        fileRequests.push_back(request);
        if (onChooseFile)
            onChooseFile();
        if (files.empty())
            return std::nullopt;
        const bool chosen = files.front().has_value();
        const QString file = chosen ? *files.front() : QString();
        files.pop_front();
        return chosen ? std::optional<QString>(file) : std::nullopt;
    }
    std::optional<QFont> ChooseFont(const QFont& initial) override
    {
        fontStarts.push_back(initial);
        if (fonts.empty())
            return std::nullopt;
        auto font = fonts.front();
        fonts.pop_front();
        return font;
    }
    int RunDialog(QDialog& dialog) override
    {
        dialogTitles.push_back(dialog.windowTitle());
        if (!onDialog)
            return QDialog::Rejected;
        return onDialog(dialog);
    }

    std::vector<std::string> messages;
    std::vector<QString> questions;
    std::deque<bool> answers;
    std::vector<shell::FileDialogRequest> fileRequests;
    std::deque<std::optional<QString>> files;
    std::vector<QFont> fontStarts;
    std::deque<std::optional<QFont>> fonts;
    std::vector<QString> dialogTitles;
    std::function<int(QDialog&)> onDialog;
    // Runs while a file dialog would be open, before the answer.
    std::function<void()> onChooseFile;
    // Runs while a message would be shown.
    std::function<void()> onMessage;
};

// Closes the next modal dialog as soon as its loop runs, noting what it
// showed; stops looking when it goes out of scope.
class ModalCloser {
public:
    ModalCloser()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            m_timer.stop();
            title = modal->windowTitle();
            if (auto* list = modal->findChild<QAbstractItemView*>())
                rows = list->model() ? list->model()->rowCount() : -1;
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
        });
        m_timer.start(0);
    }
    ModalCloser(const ModalCloser&) = delete;
    ModalCloser& operator=(const ModalCloser&) = delete;

    QString title;
    int rows = -1;

private:
    QTimer m_timer;
};

// The status bar's standing text (レディ, or what keeps the user informed).
inline QString StatusText(const mirovan::shell::CMainFrame& frame)
{
    auto* label = frame.Status()->findChild<QLabel*>();
    return label ? label->text() : QString();
}

inline std::unique_ptr<ModalCloser> CloseNextModal() { return std::make_unique<ModalCloser>(); }

// Counts the events of one type that reach a widget.
class EventCounter : public QObject {
public:
    EventCounter(QObject* target, QEvent::Type type, int& count) : m_target(target), m_type(type), m_count(count)
    {
        target->installEventFilter(this);
    }
    ~EventCounter() override
    {
        if (m_target)
            m_target->removeEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == m_type)
            ++m_count;
        return false;
    }

private:
    QPointer<QObject> m_target;
    QEvent::Type m_type;
    int& m_count;
};

// A group of three members, the last one hidden, with entries for
// M001 and M002 in December 2007 and January 2008.
inline std::string WriteSalesGroup(const std::string& folder, const std::string& fileName = "sales.group")
{
    using namespace tillbrook;
    GroupRecord group;
    group.name = Sjis("営業部");
    group.members.push_back({Sjis("佐藤 一郎"), "M001", "", {}, 0, {}});
    group.members.push_back({Sjis("鈴木 花子"), "M002", "", {}, 0, {}});
    group.members.push_back({Sjis("監査"), "M099", "", {}, 0x20, {}});
    const std::string path = folder + "/" + fileName;
    WriteFile(path, GroupFileBytes(group));

    auto entry = [](const char* owner, int y, int m, int d, int h, int min, const char* content) {
        EntryRecord e;
        e.start = At(y, m, d, h, min);
        e.end = At(y, m, d, h + 1, min);
        e.content = Sjis(content);
        e.ownerCode = owner;
        e.remarks = Sjis("備考");
        return e;
    };
    const std::string base = path.substr(0, path.rfind('.'));
    WriteFile(base + "200712.sch",
              ScheduleFileBytes(
                  {entry("M001", 2007, 12, 5, 9, 0, "定例会議"), entry("M001", 2007, 12, 5, 8, 30, "朝礼"),
                   entry("M002", 2007, 12, 5, 10, 0, "顧客訪問"), entry("M001", 2007, 12, 20, 13, 0, "忘年会準備")}));
    WriteFile(base + "200801.sch", ScheduleFileBytes({entry("M001", 2008, 1, 8, 9, 0, "仕事始め")}));
    return path;
}

} // namespace mirovan::test
