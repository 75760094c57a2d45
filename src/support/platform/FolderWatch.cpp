#include "support/platform/FolderWatch.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace mirovan::platform {

FolderWatch::FolderWatch() : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

FolderWatch::~FolderWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void FolderWatch::Watch(const std::vector<std::string>& folders)
{
    if (m_fd < 0)
        return;
    for (const auto& [folder, wd] : m_watches)
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            ::inotify_rm_watch(m_fd, wd);
    std::vector<std::pair<std::string, int>> watches;
    // Writes, atomic replacements by rename, deletions: every way a
    // group or month file changes.
    constexpr uint32_t kMask = IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                               IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;
    for (const std::string& folder : folders) {
        if (std::any_of(watches.begin(), watches.end(), [&](const auto& w) { return w.first == folder; }))
            continue;
        const int wd = ::inotify_add_watch(m_fd, folder.empty() ? "." : folder.c_str(), kMask);
        if (wd >= 0)
            watches.emplace_back(folder, wd);
    }
    m_watches = std::move(watches);
}

bool FolderWatch::Wait(std::chrono::milliseconds timeout, int wake)
{
    pollfd fds[2] = {{m_fd, POLLIN, 0}, {wake, POLLIN, 0}};
    const int ready = ::poll(fds, 2, static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, timeout.count())));
    if (ready <= 0 || m_fd < 0 || !(fds[0].revents & POLLIN))
        return false;
    // Which file it was does not matter: the look that follows finds it.
    // A watch given up (IN_IGNORED) is no change.
    alignas(inotify_event) char buffer[4096];
    bool changed = false;
    for (ssize_t n; (n = ::read(m_fd, buffer, sizeof buffer)) > 0;) {
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            changed = changed || !(event.mask & IN_IGNORED);
            at += static_cast<ssize_t>(sizeof event + event.len);
        }
    }
    return changed;
}

} // namespace mirovan::platform
