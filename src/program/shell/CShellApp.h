#pragma once
// The application object: runs the start-up, binds the view library,
// owns the group data and the main frame, carries the settings, and
// holds the one road to the view (View()).
#include "interface/MirovanView.h"
#include "program/groupdata/CScheduleEntry.h"
#include "program/shell/OptionsHost.h"
#include "program/shell/ShellUi.h"
#include "program/shell/ViewClient.h"
#include "program/shellcore/CFileChangeTracker.h"
#include "program/shellcore/CScheduleSource.h"
#include "program/shellcore/CommandLine.h"
#include "program/shellcore/RefreshTarget.h"
#include "program/shellcore/Settings.h"

#include <QPointer>
#include <chrono>
#include <memory>
#include <string>
#include <utility>

class QObject;

namespace mirovan::shell {

class CAutoRefresh;
class CMainFrame;

class CShellApp : public IScheduleHost, public IOptionsHost, private IRefreshTarget {
public:
    struct Options {
        // The view library's file; empty for the one beside the program,
        // then the system's search.
        std::string libraryPath;
        // Null for the real dialogs.
        IShellUi* ui = nullptr;
        // How the shared folder is followed; tests turn the notifications off.
        bool fileNotifications = true;
        std::chrono::milliseconds pollInterval{3000};
        std::chrono::milliseconds shrinkSettle = CFileChangeTracker::kShrinkSettleTime;
    };

    explicit CShellApp(Options options);
    CShellApp() : CShellApp(Options{}) {}
    ~CShellApp() override;
    CShellApp(const CShellApp&) = delete;
    CShellApp& operator=(const CShellApp&) = delete;

    // The process's one application object, null when none exists.
    static CShellApp* Instance();

    // commandLine is the arguments after the program name, joined.
    // False ends the program; FailureReason() then says why.
    bool Startup(const std::string& commandLine);
    void Shutdown();
    // For a process that ends without its event loop (a lost display):
    // the memos are written with no window shown.
    void SaveMemosWithoutWindows();
    const std::string& FailureReason() const { return m_failure; }

    ViewClient& View() override { return m_viewClient; }
    bool IsScheduleMode() override;
    DateValue DisplayedMonth() override;
    void SetMode(int mode);
    void ConfigureView();
    void OpenStartupFile();

    void LoadSettings();
    void SaveSettings() override;
    // Tells the user once about settings files found damaged and kept aside.
    void ReportDamagedSettings();
    const ShellSettings& Settings() const override { return m_settings; }
    void SetFonts(const VIEWFONTS& fonts) override { m_settings.fonts = fonts; }
    // The mode the next start opens in, not the view's mode (SetMode).
    void SetStartMode(int32_t mode) { m_settings.mode = mode; }
    void SetEndTime(bool shown) override { m_settings.endTime = shown ? 1 : 0; }
    void SetNoMemDC(bool direct) override { m_settings.noMemDC = direct ? 1 : 0; }
    void SetWindowState(int32_t window) { m_settings.window = window; }
    // Whether the view follows the shared folder by itself, from now on.
    void SetAutoRefresh(bool on) override;
    // How often a followed file is looked at when no notification comes.
    std::chrono::milliseconds PollInterval() const { return m_pollInterval; }
    void SetPersonalSetting(std::string path) override { m_settings.personal = std::move(path); }
    // The personal file the view shows or will show.
    const std::string& CurrentPersonal() const { return m_currentPersonal; }
    void SetCurrentPersonal(std::string path) { m_currentPersonal = std::move(path); }

    enum class FileKind { Group, Personal };
    // Where a file dialog for that kind starts: the folder of the file in
    // use (or set), else the last folder chosen for that kind this run.
    QString StartFolder(FileKind kind) const;
    void RememberFolder(FileKind kind, const QString& chosenPath);

    CGroup& Group() { return *m_group; }
    CScheduleMonth& Month() { return *m_month; }
    CScheduleSource& Source() { return *m_source; }
    // Null once the frame's window is gone.
    CMainFrame* Frame() const { return m_frameGuard ? m_frame : nullptr; }
    IShellUi& Ui() override { return *m_ui; }
    const StartupFile& StartupInfo() const { return m_startup; }
    bool FirstStart() const { return m_firstStart; }

    // The view's event function: a double click on a day of the
    // displayed month in schedule mode posts the day details command.
    static int32_t OnViewEvent(int32_t event, void* param, void* context);
    // The view saved the memos to another file, which is in use now.
    void PersonalMoved(const std::string& from, const std::string& to);

private:
    bool ShowsEndTime() override { return m_settings.endTime != 0; }
    // The view repaints exactly the cells whose texts changed.
    void SetDayTexts(const MonthTexts& texts) override { m_viewClient.SetDayTexts(texts); }
    std::optional<DateValue> SelectedDay() override { return m_viewClient.SelectedDay(); }
    void ShowDayList(const DayList& day) override { m_viewClient.ShowDayList(day); }

    QString PersonalStartFolder() const override { return StartFolder(FileKind::Personal); }
    void RememberPersonalFolder(const QString& chosenPath) override { RememberFolder(FileKind::Personal, chosenPath); }
    void RemakeTexts() override { m_source->Refresh(); }

    // What the refresher follows: the files the frame shows.
    std::optional<Shown> ShownFiles() override;
    CGroup::Reload GroupSettled() override;
    CScheduleMonth::ReadOutcome MonthSettled() override;
    void ShowUnreadable(const std::string& path) override;

    bool BindViewLibrary();
    void RegisterProgramPath(bool secondForm);
    void InstallAccelerators();
    void GuardSuddenExit();

    std::unique_ptr<IShellUi> m_ownUi;
    IShellUi* m_ui;
    std::string m_libraryPath;
    ShellSettings m_settings;
    std::string m_currentPersonal;
    std::string m_lastGroupFolder;
    std::string m_lastPersonalFolder;
    ViewClient m_viewClient;
    std::unique_ptr<CGroup> m_group;
    std::unique_ptr<CScheduleMonth> m_month;
    std::unique_ptr<CScheduleSource> m_source;
    CMainFrame* m_frame = nullptr;
    QPointer<QObject> m_frameGuard;
    std::unique_ptr<QObject> m_accelerators;
    std::unique_ptr<CAutoRefresh> m_autoRefresh;
    bool m_fileNotifications = true;
    std::chrono::milliseconds m_pollInterval;
    std::chrono::milliseconds m_shrinkSettle;
    StartupFile m_startup;
    std::string m_commandLine;
    std::string m_failure;
    bool m_firstStart = false;
    bool m_shutDown = false;
};

} // namespace mirovan::shell
