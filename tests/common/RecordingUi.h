#pragma once
#include "support/UserInterface.h"

#include <string>
#include <vector>

namespace mirovan::test {

// Records every message instead of showing it.
class RecordingUi : public IUserInterface {
public:
    struct Message {
        std::string text;
        MessageIcon icon;
    };
    void ShowMessage(const std::string& text, MessageIcon icon) override { messages.push_back({text, icon}); }
    bool AskQuestion(Question question, const std::vector<std::string>& arguments) override
    {
        questions.push_back({question, arguments});
        return yes;
    }
    void BeginWait() override
    {
        ++waitDepth;
        ++waitCount;
    }
    void EndWait() override { --waitDepth; }

    struct Asked {
        Question question;
        std::vector<std::string> arguments;
    };
    std::vector<Message> messages;
    std::vector<Asked> questions;
    bool yes = false;
    int waitDepth = 0;
    int waitCount = 0;
};

} // namespace mirovan::test
