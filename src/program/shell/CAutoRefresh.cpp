#include "program/shell/CAutoRefresh.h"

#include "guisupport/QtText.h"

#include <QApplication>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <optional>

namespace mirovan::shell {
namespace {

// Never matches a real look: a file newly followed is read once more,
// since a change between its last reading and now would otherwise be lost.
const FileStamp kNotYetSeen{false, -1, 0};

} // namespace

CAutoRefresh::CAutoRefresh(IRefreshTarget& target, Options options)
    // A group file gives its counts first, so one caught part way is known
    // to be cut off: it needs no longer wait when it gets shorter.
    : m_target(target), m_group(CFileChangeTracker::kSettleTime), m_month(options.shrinkSettle)
{
    m_clock.start();
    if (options.notifications) {
        m_watcher = new QFileSystemWatcher(this);
        // A notification comes at the start of a write: look now, and the
        // tracker asks for the second look once things are quiet.
        auto changed = [this] { CheckSoon(std::chrono::milliseconds(0)); };
        connect(m_watcher, &QFileSystemWatcher::fileChanged, this, changed);
        connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, changed);
    }
    m_poll.setInterval(static_cast<int>(options.pollInterval.count()));
    connect(&m_poll, &QTimer::timeout, this, [this] { Check(); });
    m_soon.setSingleShot(true);
    connect(&m_soon, &QTimer::timeout, this, [this] { Check(); });
}

CAutoRefresh::~CAutoRefresh() = default;

void CAutoRefresh::SetEnabled(bool enabled)
{
    m_enabled = enabled;
    if (!enabled) {
        m_poll.stop();
        m_soon.stop();
        Watch({}, {});
        m_groupUnreadable = m_monthUnreadable = false;
        ShowReadability();
        return;
    }
    // Both are read again at the first look, whatever changed while
    // switched off.
    m_group.Follow({}, kNotYetSeen);
    m_month.Follow({}, kNotYetSeen);
    m_poll.start();
    CheckSoon(std::chrono::milliseconds(0));
}

void CAutoRefresh::CheckSoon(std::chrono::milliseconds delay)
{
    if (!m_enabled)
        return;
    if (!m_soon.isActive() || m_soon.remainingTime() > delay.count())
        m_soon.start(static_cast<int>(delay.count()));
}

void CAutoRefresh::Watch(const std::string& groupPath, const std::string& monthPath)
{
    if (!m_watcher)
        return;
    QStringList wanted;
    if (!groupPath.empty()) {
        wanted << qttext::FromNativePath(groupPath) << qttext::FromNativePath(monthPath);
        // The folder tells of a month file that appears, or of a file
        // replaced by renaming, which ends the watch on the old one.
        wanted << QFileInfo(wanted.front()).absolutePath();
    }
    QStringList watched = m_watcher->files() + m_watcher->directories();
    QStringList gone;
    for (const QString& path : watched)
        if (!wanted.contains(path))
            gone << path;
    if (!gone.isEmpty())
        m_watcher->removePaths(gone);
    QStringList added;
    for (const QString& path : wanted)
        if (!watched.contains(path) && QFileInfo::exists(path))
            added << path;
    if (!added.isEmpty())
        m_watcher->addPaths(added);
}

void CAutoRefresh::Check()
{
    // A dialog (the day list, a message) or an open list keeps its state;
    // the poll comes back.
    if (!m_enabled || QApplication::activeModalWidget() || QApplication::activePopupWidget())
        return;
    const std::optional<IRefreshTarget::Shown> shown = m_target.ShownFiles();
    if (!shown)
        return;
    // Personal mode shows no group file; going back to schedules reads anew.
    if (!shown->schedules) {
        m_groupUnreadable = m_monthUnreadable = false;
        ShowReadability();
        return;
    }
    const std::string& groupPath = shown->groupPath;
    const std::string& monthPath = shown->monthPath;
    if (groupPath.empty() || monthPath.empty())
        return;
    if (m_group.Path() != groupPath) {
        m_group.Follow(groupPath, kNotYetSeen);
        m_groupUnreadable = false;
    }
    if (m_month.Path() != monthPath) {
        m_month.Follow(monthPath, kNotYetSeen);
        m_monthUnreadable = false;
    }
    Watch(groupPath, monthPath);

    // What fails to read is left as shown and read again at the next look;
    // what is cut off (still being written) or refused waits for a change.
    const std::chrono::milliseconds now(m_clock.elapsed());
    bool again = false;
    // No group file is a folder gone (a share not mounted), not a group
    // without members: nothing is read until it is back.
    std::optional<FileStamp> group = LookAtFile(groupPath);
    if (group && !group->exists)
        group.reset();
    m_groupUnreadable = m_groupUnreadable || !group;
    switch (group ? m_group.Observe(*group, now) : CFileChangeTracker::Decision::Nothing) {
    case CFileChangeTracker::Decision::Nothing:
        if (group)
            m_groupUnreadable = false;
        break;
    case CFileChangeTracker::Decision::CheckAgain: again = true; break;
    case CFileChangeTracker::Decision::Read: {
        const CGroup::Reload outcome = m_target.GroupSettled();
        m_groupUnreadable = outcome == CGroup::Reload::Unreadable;
        if (outcome == CGroup::Reload::CutOff)
            m_group.Skip(*group);
        else if (!m_groupUnreadable)
            m_group.Read(*group);
        break;
    }
    }
    const std::optional<FileStamp> month = group ? LookAtFile(monthPath) : std::nullopt;
    m_monthUnreadable = m_monthUnreadable || !month;
    switch (month ? m_month.Observe(*month, now) : CFileChangeTracker::Decision::Nothing) {
    case CFileChangeTracker::Decision::Nothing:
        if (month)
            m_monthUnreadable = false;
        break;
    case CFileChangeTracker::Decision::CheckAgain: again = true; break;
    case CFileChangeTracker::Decision::Read: {
        const CScheduleMonth::ReadOutcome outcome = m_target.MonthSettled();
        m_monthUnreadable = outcome == CScheduleMonth::ReadOutcome::Unreadable;
        if (outcome == CScheduleMonth::ReadOutcome::Whole)
            m_month.Read(*month);
        else if (!m_monthUnreadable)
            m_month.Skip(*month);
        break;
    }
    }
    ShowReadability();
    if (again)
        CheckSoon(CFileChangeTracker::kSettleTime);
}

void CAutoRefresh::ShowReadability()
{
    const std::string failing = m_groupUnreadable ? m_group.Path() : m_monthUnreadable ? m_month.Path() : std::string();
    if (failing == m_reported)
        return;
    m_reported = failing;
    m_target.ShowUnreadable(failing);
}

} // namespace mirovan::shell
