#pragma once
// What the core needs from whoever presents it: message boxes and the
// wait cursor. The GUI shows real dialogs; the command line prints to
// standard error; tests record.
#include <string>
#include <vector>

namespace mirovan {

enum class MessageIcon { Exclamation, Stop, Information, Question };

// What to do with data that could not be saved as it is about to be dropped.
// Cancel keeps the data and goes back; it is offered only while the window
// the data belongs to can stay open.
enum class FailedSaveChoice { Retry, SaveElsewhere, Drop, Cancel };

// The question before unsaved data is dropped.
struct FailedSave {
    std::string text;         // the failure's report, UTF-8
    std::string startFolder;  // where a dialog for another file starts, native
    std::string proposedName; // the file name the dialog proposes there
    bool mayCancel = false;
};

// Yes-or-no questions the core asks; their texts are the presenter's.
enum class Question {
    // After a crash a spare copy is the only complete copy of a file.
    // Arguments: the file, the copy. Yes puts the copy back.
    RestoreSpareCopy,
    // A symbolic link appeared where a plain file was read. Arguments: the
    // path, the link's target. Yes saves through the link; no saves nothing.
    SaveThroughNewLink,
};

class IUserInterface {
public:
    virtual ~IUserInterface() = default;
    // text is UTF-8, ready to display.
    virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;
    // Asked before unsaved data is dropped; for SaveElsewhere, otherPath is
    // the file chosen. Nobody to ask: dropped.
    virtual FailedSaveChoice AskAboutFailedSave(const FailedSave& failure, std::string& otherPath)
    {
        ShowMessage(failure.text, MessageIcon::Exclamation);
        otherPath.clear();
        return FailedSaveChoice::Drop;
    }
    // arguments are UTF-8. Nobody to ask: no.
    virtual bool AskQuestion(Question, const std::vector<std::string>& /*arguments*/) { return false; }
    virtual void BeginWait() {}
    virtual void EndWait() {}
};

// Holds the wait cursor for the lifetime of the object.
class WaitCursor {
public:
    explicit WaitCursor(IUserInterface& ui) : ui_(ui) { ui_.BeginWait(); }
    ~WaitCursor() { ui_.EndWait(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    IUserInterface& ui_;
};

} // namespace mirovan
