#pragma once
// The diagnostic log: one line per event, appended to the log file only
// when that file already exists when the process first logs. Texts are
// written as given (code page 932 bytes, like everything else we keep).
#include <ctime>
#include <mutex>
#include <string>
#include <string_view>

namespace mirovan {

void WriteLog(const std::string& text);
// The text immediately followed by the number in decimal.
void WriteLog(const std::string& text, int number);

namespace log {

// The file the variable settings::kLogVariable names, else settings::kLogFile.
std::string LogPath();

// settings::kLogLinePrefix + "(M/D H:MM:SS):" + text + "\n". The line ends in a plain LF:
// that is what a text-mode line end is on this platform.
std::string FormatLine(const std::tm& local, std::string_view text);

// What WriteLog does, around its own state, so that it can be tried on
// any path. WriteLog uses one of these per process.
class CLogWriter {
public:
    using Clock = std::tm (*)();
    enum State { kUnknown = 0, kEnabled = 1, kDisabled = 2 };

    explicit CLogWriter(std::string path, Clock clock = nullptr);
    CLogWriter(const CLogWriter&) = delete;
    CLogWriter& operator=(const CLogWriter&) = delete;

    // Looks for the file on the first call only; never throws.
    void Write(std::string_view text) noexcept;
    State CurrentState() const;

private:
    mutable std::mutex mutex_;
    State state_ = kUnknown;
    std::string path_;
    Clock clock_;
};

} // namespace log
} // namespace mirovan
