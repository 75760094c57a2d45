#include "program/shell/CAutoRefresh.h"

#include "guisupport/QtText.h"
#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"
#include "program/shell/CMainFrame.h"
#include "program/shell/CSelectBar.h"
#include "program/shell/CShellApp.h"
#include "support/platform/Platform.h"

#include <QApplication>
#include <QFileInfo>
#include <cerrno>
#include <optional>
#include <QFileSystemWatcher>

namespace mirovan::shell {
namespace {

// Never matches a real look: a file newly followed is read once more,
// since a change between its last reading and now would otherwise be lost.
const FileStamp kNotYetSeen{false, -1, 0};


// Passes the group's member list on to the bar, but shows the restored
// choice without running it: running it would rebuild the month and lose
// the selected day.
class QuietBar : public IGroupBar {
public:
    explicit QuietBar(CSelectBar& bar) : m_bar(bar) {}
    void ShowGroupName(const std::string& name) override { m_bar.ShowGroupName(name); }
    void RefillMemberList(const CGroup& group) override { m_bar.RefillMemberList(group); }
    void SelectEntry(int entry) override { m_bar.ShowMemberEntry(entry); }

private:
    CSelectBar& m_bar;
};

} // namespace

CAutoRefresh::CAutoRefresh(CShellApp& app, Options options)
    // A group file gives its counts first, so one caught part way is known
    // to be cut off: it needs no longer wait when it gets shorter.
    : m_app(app), m_group(CFileChangeTracker::kSettleTime), m_month(options.shrinkSettle)
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
    CMainFrame* frame = m_app.Frame();
    // A dialog (the day list, a message) or an open list keeps its state;
    // the poll comes back.
    if (!m_enabled || !frame || QApplication::activeModalWidget() || QApplication::activePopupWidget())
        return;
    // Personal mode shows no group file; going back to schedules reads anew.
    if (!m_app.IsScheduleMode()) {
        m_groupUnreadable = m_monthUnreadable = false;
        ShowReadability();
        return;
    }
    const std::string& groupPath = m_app.Group().Path();
    const std::string& monthPath = m_app.Month().Path();
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
        const CGroup::Reload outcome = ReloadGroup();
        m_groupUnreadable = outcome == CGroup::Reload::Unreadable;
        if (outcome == CGroup::Reload::CutOff)
            m_group.Skip(*group);
        else if (!m_groupUnreadable)
            m_group.Read(*group);
        // The month file itself may not have changed; the member's entries may.
        if (outcome == CGroup::Reload::Replaced)
            m_app.Source().SendMonthTexts();
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
        const CScheduleMonth::ReadOutcome outcome = m_app.Source().RefreshIfWhole();
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

CGroup::Reload CAutoRefresh::ReloadGroup()
{
    CMainFrame* frame = m_app.Frame();
    CGroup& group = m_app.Group();
    QuietBar bar(frame->Bar());
    group.SetBar(&bar);
    const CGroup::Reload outcome = group.ReloadIfChanged();
    group.SetBar(&frame->Bar());
    return outcome;
}

void CAutoRefresh::ShowReadability()
{
    CMainFrame* frame = m_app.Frame();
    const std::string failing = m_groupUnreadable ? m_group.Path() : m_monthUnreadable ? m_month.Path() : std::string();
    if (!frame || failing == m_reported)
        return;
    m_reported = failing;
    if (failing.empty())
        frame->ClearUnreadableShare();
    else
        frame->ReportUnreadableShare(failing);
}

} // namespace mirovan::shell
