#pragma once
// Tells a waiting loop that something changed in a few folders (the
// group's and its months'), through the system's change notifications.
// A network share may tell nothing, so the loop still looks at its files
// after each wait; the notifications only make that look come sooner.
#include <chrono>
#include <string>
#include <vector>

namespace mirovan::platform {

class FolderWatch {
public:
    FolderWatch();
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // False where the system gives no notifications (the waits then only
    // time out or wake).
    bool Available() const { return m_fd >= 0; }
    // Watches these folders from now on, instead of those before. A
    // folder that cannot be watched is left to the periodic look.
    void Watch(const std::vector<std::string>& folders);

    // Waits until a watched folder changed, wake (a descriptor, when not
    // -1) has something to read, or timeout passed. True for a change.
    bool Wait(std::chrono::milliseconds timeout, int wake = -1);

private:
    int m_fd = -1;
    std::vector<std::pair<std::string, int>> m_watches;
};

} // namespace mirovan::platform
