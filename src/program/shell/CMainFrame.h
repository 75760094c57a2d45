#pragma once
// The program's one top-level window: menu 104, the control bar at the
// top, the month view between it and the status bar.
#include "program/groupdata/CScheduleEntry.h"
#include "program/shell/BarHost.h"
#include "program/shell/WeekHost.h"

#include <QMainWindow>
#include <QMap>
#include <QRect>
#include <optional>
#include <string>

class QAction;
class QLabel;
class QStatusBar;

namespace mirovan::shell {

class CGroupWeekWindow;
class CShellApp;
class CSelectBar;

class CMainFrame : public QMainWindow, private IBarHost, private IWeekHost {
public:
    explicit CMainFrame(CShellApp& app);
    ~CMainFrame() override;

    void ShowInitially();
    void LayoutChildren(int width = -1, int height = -1);
    void UpdateTitle();
    void SaveWindowPlacement();
    // The session asks whether the log-off may go on: hand the settings
    // over now; a log-off that is cancelled leaves the program running.
    void OnShutdownQuery();
    // The session's request to save before it ends: the memos are written,
    // a failure asked about when mayAsk. False when the user went back.
    bool SaveForSession(bool mayAsk);
    // Runs a command of the menu, the accelerators or the control bar.
    void OnCommand(int id);
    // Posts a command: it runs after the current handler has returned.
    void PostCommand(int id);
    // At exit: commands posted earlier must not run inside a last message.
    void DropQueuedCommands();

    CSelectBar& Bar() { return *m_bar; }
    QAction* Action(int id) const { return m_actions.value(id); }
    QStatusBar* Status() const { return m_status; }
    // The one report of a shared folder that cannot be read, by whatever
    // found it (the live refresh, F5): it names the file and stays in the
    // status bar until ClearUnreadableShare, after a reading succeeds.
    void ReportUnreadableShare(const std::string& path);
    void ClearUnreadableShare();
    QWidget* Client() const { return m_client; }
    // The control bar height H of the layout.
    int BarHeight() const { return m_barHeight; }
    void SetBarHeight(int height) { m_barHeight = height; }
    // The group week window, once opened.
    CGroupWeekWindow* GroupWeek() const { return m_groupWeek; }
    // Runs the popup-opening update of the menu texts and marks.
    void UpdateMenu();
    // Reads the group file and shows what it holds; false when it did
    // not read whole, and then the grid shows no one's entries.
    bool ReadGroupFile(const std::string& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void BuildMenu();
    void HandOverToSettings();
    void HandOverOnce();
    void ApplyStoredOuterRect();
    void StepMonth(int delta);
    // F5: the personal file in personal mode, else the open group's file.
    void Refresh();
    void NewPersonalFile();
    void OpenPersonalFile();
    void ShowPersonalFile();
    void OpenGroup();
    void Print();
    void ExportCalendar();
    void ShowGroupWeek();
    // What the control bar asks of the frame.
    void BarCommand(int id) override { PostCommand(id); }
    void BarHeightChanged(int height) override { SetBarHeight(height); }
    bool BarScheduleMode() override;
    CGroup& BarGroup() override;
    const std::string& BarPersonalPath() override;
    void BarShowMonth(const DateValue& month) override;
    void BarRefresh() override;
    void BarMonthShown() override { UpdateTitle(); }
    // What the group week window asks of the frame.
    CGroup& WeekGroup() override;
    bool WeekShowsEndTime() override;
    bool WeekFollowsFolder() override;
    std::chrono::milliseconds WeekPollInterval() override;
    void ShowMemberDay(int member, std::optional<groupweek::Day> day) override;
    void RunOptions();

    CShellApp& m_app;
    QWidget* m_client = nullptr;
    QStatusBar* m_status = nullptr;
    QLabel* m_statusText = nullptr;
    CSelectBar* m_bar = nullptr;
    QMap<int, QAction*> m_actions;
    int m_barHeight = 0;
    int m_placementRight = 600;
    int m_placementBottom = 400;
    bool m_handedOver = false;
    // The stored outer rectangle, until the frame around the window is
    // known and the client size can be derived from it.
    std::optional<QRect> m_pendingOuter;
    int m_placementTries = 0;
    CGroupWeekWindow* m_groupWeek = nullptr;
};

} // namespace mirovan::shell
