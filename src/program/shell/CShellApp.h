#pragma once
// The application object: runs the start-up, binds the view library,
// owns the group data and the main frame, carries the settings, and is
// the one road to the view (SendViewCommand).
#include "interface/MirovanView.h"
#include "program/groupdata/CScheduleEntry.h"
#include "program/shell/CommandLine.h"
#include "program/shell/Settings.h"
#include "program/shell/ShellUi.h"
#include "support/platform/Platform.h"

#include <QPointer>
#include <memory>
#include <string>

class QObject;

namespace mirovan {
class CGroup;
class CScheduleMonth;
}

namespace mirovan::shell {

class CMainFrame;
class CScheduleSource;

class CShellApp {
public:
    struct Options {
        // The view library's file; empty for the one beside the program,
        // then the system's search.
        std::string libraryPath;
        // Null for the real dialogs.
        IShellUi* ui = nullptr;
    };

    explicit CShellApp(Options options);
    CShellApp() : CShellApp(Options{}) {}
    ~CShellApp();
    CShellApp(const CShellApp&) = delete;
    CShellApp& operator=(const CShellApp&) = delete;

    // The process's one application object, null when none exists.
    static CShellApp* Instance();

    // commandLine is the arguments after the program name, joined.
    // False ends the program; FailureReason() then says why.
    bool Startup(const std::string& commandLine);
    void Shutdown();
    const std::string& FailureReason() const { return m_failure; }

    intptr_t SendViewCommand(int32_t code, intptr_t p1 = 0, intptr_t p2 = 0);
    bool IsScheduleMode();
    DateValue DisplayedMonth();
    void SetMode(int mode);
    void ConfigureView();
    void OpenStartupFile();

    void LoadSettings();
    void SaveSettings();
    ShellSettings& Settings() { return m_settings; }
    std::string& CurrentPersonal() { return m_currentPersonal; }

    void SetView(MVVIEW view) { m_view = view; }
    MVVIEW View() const { return m_view; }
    CreateMVProc CreateFunction() const { return m_create; }
    ShowListDialogProc ListFunction() const { return m_list; }

    CGroup& Group() { return *m_group; }
    CScheduleMonth& Month() { return *m_month; }
    CScheduleSource& Source() { return *m_source; }
    // Null once the frame's window is gone.
    CMainFrame* Frame() const { return m_frameGuard ? m_frame : nullptr; }
    IShellUi& Ui() { return *m_ui; }
    const StartupFile& StartupInfo() const { return m_startup; }
    bool FirstStart() const { return m_firstStart; }

    // The view's event function: a double click on a day of the
    // displayed month in schedule mode posts the day details command.
    static int32_t OnViewEvent(int32_t event, void* param, void* context);

private:
    bool BindViewLibrary();
    void RegisterProgramPath(bool secondForm);
    void InstallAccelerators();

    std::unique_ptr<IShellUi> m_ownUi;
    IShellUi* m_ui;
    std::string m_libraryPath;
    ShellSettings m_settings;
    std::string m_currentPersonal;
    MVVIEW m_view = nullptr;
    CreateMVProc m_create = nullptr;
    ParseCommandProc m_command = nullptr;
    ShowListDialogProc m_list = nullptr;
    platform::SharedLibrary m_library;
    std::unique_ptr<CGroup> m_group;
    std::unique_ptr<CScheduleMonth> m_month;
    std::unique_ptr<CScheduleSource> m_source;
    CMainFrame* m_frame = nullptr;
    QPointer<QObject> m_frameGuard;
    std::unique_ptr<QObject> m_accelerators;
    StartupFile m_startup;
    std::string m_commandLine;
    std::string m_failure;
    bool m_firstStart = false;
    bool m_shutDown = false;
};

} // namespace mirovan::shell
