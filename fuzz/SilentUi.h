#pragma once
#include "support/UserInterface.h"

// Fuzzed input makes messages by the thousand; none is of interest.
class SilentUi : public mirovan::IUserInterface {
public:
    void ShowMessage(const std::string&, mirovan::MessageIcon) override {}
};
