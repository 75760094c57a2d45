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
    void BeginWait() override { ++waitDepth; ++waitCount; }
    void EndWait() override { --waitDepth; }

    std::vector<Message> messages;
    int waitDepth = 0;
    int waitCount = 0;
};

} // namespace mirovan::test
