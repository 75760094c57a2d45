#pragma once
// Messages of the core printed as lines on a stream (standard error).
#include "support/UserInterface.h"

#include <ostream>
#include <string>

namespace mirovan::exporter {

class StreamUi : public IUserInterface {
public:
    explicit StreamUi(std::ostream& err) : err_(err) {}
    void ShowMessage(const std::string& text, MessageIcon) override
    {
        // The message boxes' CR LF become plain line breaks here.
        std::string line;
        for (char c : text)
            if (c != '\r')
                line += c;
        err_ << "mirovan-export: " << line << '\n';
    }

private:
    std::ostream& err_;
};

} // namespace mirovan::exporter
