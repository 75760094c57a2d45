#pragma once
// Follows the open group file and the displayed month's file on disk and
// shows their new state without F5: the system's change notification for
// local files, and a periodic look at size and modification time for
// network shares, whose notifications of other machines' writes never
// arrive. What a look means is CFileChangeTracker's to decide; what is
// followed and what a settled file means is the target's.
#include "program/shellcore/CFileChangeTracker.h"
#include "program/shellcore/RefreshTarget.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <optional>
#include <string>

class QFileSystemWatcher;

namespace mirovan::shell {

class CAutoRefresh : public QObject {
public:
    struct Options {
        // Off leaves the periodic look alone, as on a network share.
        bool notifications = true;
        std::chrono::milliseconds pollInterval{3000};
        std::chrono::milliseconds shrinkSettle = CFileChangeTracker::kShrinkSettleTime;
    };

    CAutoRefresh(IRefreshTarget& target, Options options);
    ~CAutoRefresh() override;

    void SetEnabled(bool enabled);
    bool Enabled() const { return m_enabled; }

private:
    void Check();
    void CheckSoon(std::chrono::milliseconds delay);
    void Watch(const std::string& groupPath, const std::string& monthPath);
    // The status bar names a followed file whose last reading failed.
    void ShowReadability();

    IRefreshTarget& m_target;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer m_poll;
    QTimer m_soon;
    QElapsedTimer m_clock;
    CFileChangeTracker m_group;
    CFileChangeTracker m_month;
    bool m_enabled = false;
    bool m_groupUnreadable = false;
    bool m_monthUnreadable = false;
    std::string m_reported;
};

} // namespace mirovan::shell
