#pragma once
// Messages of the core printed as lines on a stream (standard error).
#include "support/UserInterface.h"

#include <ostream>
#include <string>
#include <vector>

namespace mirovan::exporter {

class StreamUi : public IUserInterface {
public:
    explicit StreamUi(std::ostream& err, std::string program = "mirovan-export")
        : err_(err), program_(std::move(program))
    {
    }
    ~StreamUi() override { Release(); }
    StreamUi(const StreamUi&) = delete;
    StreamUi& operator=(const StreamUi&) = delete;

    void ShowMessage(const std::string& text, MessageIcon) override
    {
        // The message boxes' CR LF become plain line breaks here.
        std::string line;
        for (char c : text)
            if (c != '\r')
                line += c;
        if (holding_)
            kept_.push_back(line);
        else
            err_ << program_ << ": " << line << '\n';
    }
    // Keeps messages back until Release, so that a failure is told after
    // the output of what was read before it.
    void Hold() { holding_ = true; }
    void Release()
    {
        holding_ = false;
        for (const std::string& line : kept_)
            err_ << program_ << ": " << line << '\n';
        kept_.clear();
    }

private:
    std::ostream& err_;
    std::string program_;
    bool holding_ = false;
    std::vector<std::string> kept_;
};

} // namespace mirovan::exporter
