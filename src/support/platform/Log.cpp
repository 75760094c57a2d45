#include "support/platform/Log.h"

#include "support/ProductNames.h"
#include "support/platform/Clock.h"
#include "support/platform/Platform.h"

#include <chrono>
#include <cstdio>

namespace mirovan {
namespace log {
namespace {

constexpr auto kLockWait = std::chrono::milliseconds(10000);

CLogWriter& ProcessWriter()
{
    // The log state is per process by nature; the path is fixed with it.
    static CLogWriter writer(LogPath());
    return writer;
}

} // namespace

std::string LogPath()
{
    const std::string path = platform::GetEnv(settings::kLogVariable);
    return path.empty() ? std::string(settings::kLogFile) : path;
}

std::string FormatLine(const std::tm& local, std::string_view text)
{
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "%s(%d/%d %d:%02d:%02d):", settings::kLogLinePrefix, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    std::string line(prefix);
    line.append(text);
    line += '\n';
    return line;
}

CLogWriter::CLogWriter(std::string path, Clock clock) : path_(std::move(path)), clock_(clock) {}

CLogWriter::State CLogWriter::CurrentState() const
{
    std::lock_guard lock(mutex_);
    return state_;
}

void CLogWriter::Write(std::string_view text) noexcept
{
    try {
        {
            std::lock_guard lock(mutex_);
            if (state_ == kUnknown)
                state_ = platform::FileExists(path_) ? kEnabled : kDisabled;
            if (state_ != kEnabled)
                return;
        }
        const std::tm now = clock_ ? clock_() : platform::LocalTimeNow();
        // A line that cannot be written is dropped: the log must never be
        // the reason an operation fails.
        platform::AppendToExistingFile(path_, FormatLine(now, text), kLockWait);
    } catch (...) {
    }
}

} // namespace log

void WriteLog(const std::string& text)
{
    try {
        log::ProcessWriter().Write(text);
    } catch (...) {
    }
}

void WriteLog(const std::string& text, int number)
{
    try {
        log::ProcessWriter().Write(text + std::to_string(number));
    } catch (...) {
    }
}

} // namespace mirovan
