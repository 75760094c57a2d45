#include "program/shell/CShellApp.h"

#include "guisupport/Fonts.h"
#include "guisupport/QtText.h"
#include "guisupport/QtTranslations.h"
#include "guisupport/ScreenFit.h"
#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"
#include "program/groupdata/GroupWeek.h"
#include "program/groupdata/Holidays.h"
#include "program/shell/CAutoRefresh.h"
#include "program/shell/CMainFrame.h"
#include "program/shell/CSelectBar.h"
#include "program/shell/CommandIds.h"
#include "program/shell/Dialogs.h"
#include "program/shell/ShellResources.h"
#include "support/DayKey.h"
#include "support/platform/Clock.h"
#include "support/platform/Platform.h"
#include "support/registry/Registry.h"
#include "support/settings/SettingsStore.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QThread>
#include <cstdio>
#include <cstdlib>

namespace mirovan::shell {
namespace {

CShellApp* g_instance = nullptr; // the one application object

// Said when Group or Personal could not be stored; %1 lists the paths.
constexpr int kPathsNotSavedText = 61300;
// Said once at start-up when a settings file could not be read; %1 lists
// the files, each followed by text 61302 naming the copy kept aside.
constexpr int kSettingsDamagedText = 61301;
constexpr int kSettingsKeptAsText = 61302;

DateValue Today()
{
    const platform::LocalDate d = platform::Today();
    return DateValue{ToOleDate(d.year, d.month, d.day).value_or(0.0), DateValue::kValid};
}

// Keys the widget with the focus needs for itself: the editing keys of a
// text field (select all, copy, paste, cut, undo), and Enter on a button.
bool TakenByTheFocusWidget(QWidget& widget, const QKeyEvent& key)
{
    const int k = key.key();
    if (qobject_cast<QAbstractButton*>(&widget))
        return k == Qt::Key_Return || k == Qt::Key_Enter;
    const bool text = qobject_cast<QLineEdit*>(&widget) || qobject_cast<QPlainTextEdit*>(&widget) ||
                      qobject_cast<QTextEdit*>(&widget) || qobject_cast<QAbstractSpinBox*>(&widget);
    if (!text || (key.modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier)) !=
                     Qt::ControlModifier)
        return false;
    return k == Qt::Key_A || k == Qt::Key_C || k == Qt::Key_V || k == Qt::Key_X || k == Qt::Key_Z;
}

// Offers every key press inside the main frame to accelerator table 103
// before the focus widget sees it; the key then goes on as usual.
class AcceleratorFilter : public QObject {
public:
    AcceleratorFilter(CShellApp& app, std::vector<Accelerator> table) : m_app(app), m_table(std::move(table)) {}

    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress) {
            m_lastEvent = nullptr;
            return false;
        }
        CMainFrame* frame = m_app.Frame();
        auto* widget = qobject_cast<QWidget*>(object);
        if (!frame || !widget || widget->window() != frame || QApplication::activeModalWidget())
            return false;
        // A key that the receiver ignores travels up to its parents; it
        // is translated once, at the first of them.
        if (event == m_lastEvent && m_lastReceiver && widget->isAncestorOf(m_lastReceiver)) {
            m_lastReceiver = widget;
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        if (TakenByTheFocusWidget(*widget, *key))
            return false;
        Qt::Key k = static_cast<Qt::Key>(key->key());
        if (k == Qt::Key_Enter)
            k = Qt::Key_Return;
        const Qt::KeyboardModifiers mods =
            key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
        const QKeySequence pressed(QKeyCombination(mods, k));
        for (const auto& a : m_table) {
            if (a.key == pressed) {
                QPointer<QWidget> guard(widget);
                frame->OnCommand(a.command);
                // A dialog's loop may have destroyed the receiver; the key
                // must not travel on to it.
                if (!guard)
                    return true;
                m_lastEvent = event;
                m_lastReceiver = guard.data();
                break;
            }
        }
        return false;
    }

private:
    CShellApp& m_app;
    std::vector<Accelerator> m_table;
    const QEvent* m_lastEvent = nullptr;
    QWidget* m_lastReceiver = nullptr;
};

// Qt ends the process with exit() when the connection to the display
// breaks: the last moment the memos can still be saved, with no window.
void SaveMemosAtSuddenExit()
{
    // Only on the thread that owns the view; from any other the view may
    // be half way through something, and the memos are left as they are.
    const QCoreApplication* qt = QCoreApplication::instance();
    if (!qt || QThread::currentThread() != qt->thread())
        return;
    if (CShellApp* app = CShellApp::Instance())
        app->SaveMemosWithoutWindows();
}

} // namespace

CShellApp::CShellApp(Options options)
    : m_ui(options.ui), m_libraryPath(std::move(options.libraryPath)), m_fileNotifications(options.fileNotifications),
      m_pollInterval(options.pollInterval), m_shrinkSettle(options.shrinkSettle)
{
    if (!m_ui) {
        m_ownUi = std::make_unique<QtShellUi>();
        m_ui = m_ownUi.get();
    }
    m_settings = DefaultSettings();
    g_instance = this;
}

CShellApp::~CShellApp()
{
    Shutdown();
    if (g_instance == this)
        g_instance = nullptr;
}

CShellApp* CShellApp::Instance() { return g_instance; }

bool CShellApp::Startup(const std::string& commandLine)
{
    m_viewClient.Close();
    // OLE has no counterpart here: the clipboard needs no set-up.
    settings::MigrateLegacyKey();
    RegisterProgramPath(false);
    ProcessHolidayTables().LoadHolidayFile();
    InstallFontSubstitutions();
    InstallQtTranslations();
    const DateValue today = Today();
    LoadSettings();
    if (!BindViewLibrary()) {
        std::fprintf(stderr, "Mirovan: %s\n", m_failure.c_str());
        return false;
    }

    const platform::LocalDate date = platform::Today();
    if (settings::Read(settings::kFrom) == 0) {
        m_firstStart = true;
        settings::Write(settings::kFrom, MakeDayKey(date.year, date.month, date.day));
    }
    RegisterProgramPath(true);

    m_commandLine = commandLine;
    m_startup = ReadCommandLine(commandLine, m_settings.group);

    m_group = std::make_unique<CGroup>(*m_ui);
    m_month = std::make_unique<CScheduleMonth>(*m_group, *m_ui);
    m_source = std::make_unique<CScheduleSource>(*this, *m_month, *m_group);
    FitWindowsOnScreen();
    auto* frame = new CMainFrame(*this);
    m_frame = frame;
    m_frameGuard = frame;
    m_ui->SetOwner(frame);
    if (!m_viewClient.HasView()) {
        m_failure = "the view library's CreateMV made no view";
        std::fprintf(stderr, "Mirovan: %s\n", m_failure.c_str());
        delete frame;
        return false;
    }
    m_group->SetBar(&frame->Bar());
    InstallAccelerators();
    GuardSuddenExit();

    ConfigureView();
    m_viewClient.SetMonth(today);
    frame->Bar().SetDate(today);
    frame->UpdateTitle();
    // The steps below can ask or tell the user something: the window is
    // shown first so that their messages stand over it, not on an empty
    // desktop.
    frame->ShowInitially();
    ReportDamagedSettings();
    if (!m_startup.personalPath.empty()) {
        // As the open command does: the file in use, not the setting.
        m_currentPersonal =
            qttext::ToNativePath(QFileInfo(qttext::FromNativePath(m_startup.personalPath)).absoluteFilePath());
        SetMode(0);
    } else if (m_settings.mode == 0) {
        SetMode(0);
    }
    if (!commandLine.empty() && m_startup.groupPath.size() > 6)
        OpenStartupFile();

    m_autoRefresh =
        std::make_unique<CAutoRefresh>(static_cast<IRefreshTarget&>(*this),
                                       CAutoRefresh::Options{m_fileNotifications, m_pollInterval, m_shrinkSettle});
    m_autoRefresh->SetEnabled(m_settings.autoRefresh != 0);

    if (m_firstStart && Frame()) {
        auto dialog = BuildFirstStartDialog(frame);
        m_ui->RunDialog(*dialog);
    }
    return true;
}

void CShellApp::Shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_autoRefresh.reset();
    // An exit without the close event (the event loop ended otherwise)
    // still saves the memos while the window is there.
    if (Frame()) {
        Frame()->DropQueuedCommands();
        m_viewClient.SavePersonalBeforeClosing(false);
    }
    // The frame's destruction hands the fonts and the mode back and
    // destroys the view, which writes its pending memos.
    delete Frame();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_accelerators.reset();
    SaveSettings();
    m_source.reset();
    m_month.reset();
    m_group.reset();
    m_viewClient.Close();
}

void CShellApp::GuardSuddenExit()
{
    // Registered after the view library was loaded, so that it runs before
    // the library's own clean-up at exit.
    static bool registered = false;
    if (!registered)
        registered = std::atexit(&SaveMemosAtSuddenExit) == 0;
}

void CShellApp::SaveMemosWithoutWindows()
{
    if (m_shutDown || !Frame())
        return;
    m_viewClient.SavePersonalWithoutWindows();
}

bool CShellApp::BindViewLibrary()
{
    std::string path = m_libraryPath;
    if (path.empty()) {
        const std::string name = platform::SharedLibraryFileName("Mirovan");
        // A build or portable folder first, then the installed layout.
        const std::string beside = platform::JoinPath(platform::ExecutableFolder(), name);
        const std::string installed =
            platform::JoinPath(platform::InstalledFolder(settings::kInstalledLibraries), name);
        path = platform::FileExists(beside) ? beside : platform::FileExists(installed) ? installed : name;
    }
    return m_viewClient.Load(path, m_failure);
}

void CShellApp::RegisterProgramPath(bool secondForm)
{
    const std::string program = platform::ExecutablePath();
    if (program.empty())
        return;
    const std::string folder = platform::ParentFolder(program);
    settings::Write(settings::kAppPath, program);
    if (!secondForm) {
        settings::Write(settings::kAppFolder, folder);
        return;
    }
    settings::Write(settings::kProgramPath, program);
    settings::Write(settings::kAppFolder, folder + "/");
}

void CShellApp::InstallAccelerators()
{
    m_accelerators = std::make_unique<AcceleratorFilter>(*this, LoadAccelerators(103));
    qApp->installEventFilter(m_accelerators.get());
}

void CShellApp::SetAutoRefresh(bool on)
{
    m_settings.autoRefresh = on ? 1 : 0;
    if (m_autoRefresh && m_autoRefresh->Enabled() != on)
        m_autoRefresh->SetEnabled(on);
}

bool CShellApp::IsScheduleMode() { return m_viewClient.IsScheduleMode(); }

namespace {

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

std::optional<IRefreshTarget::Shown> CShellApp::ShownFiles()
{
    if (!Frame())
        return std::nullopt;
    if (!IsScheduleMode())
        return Shown{};
    return Shown{true, m_group->Path(), m_month->Path()};
}

CGroup::Reload CShellApp::GroupSettled()
{
    CSelectBar& bar = m_frame->Bar();
    QuietBar quiet(bar);
    m_group->SetBar(&quiet);
    const CGroup::Reload outcome = m_group->ReloadIfChanged();
    m_group->SetBar(&bar);
    // The month file itself may not have changed; the member's entries may.
    if (outcome == CGroup::Reload::Replaced)
        m_source->SendMonthTexts();
    return outcome;
}

CScheduleMonth::ReadOutcome CShellApp::MonthSettled() { return m_source->RefreshIfWhole(); }

void CShellApp::ShowUnreadable(const std::string& path)
{
    CMainFrame* frame = Frame();
    if (!frame)
        return;
    if (path.empty())
        frame->ClearUnreadableShare();
    else
        frame->ReportUnreadableShare(path);
}

DateValue CShellApp::DisplayedMonth()
{
    if (const std::optional<DateValue> month = m_viewClient.Month())
        return *month;
    return Today();
}

void CShellApp::ConfigureView()
{
    m_viewClient.ReloadFonts(m_settings.fonts);
    m_viewClient.SetMode(m_settings.mode);
    m_viewClient.SetHolidays(&mirovan::GetHolidayStatus, ProcessHolidayTables().PlainWeekends());
    m_viewClient.SetHolidayNames(&groupweek::GetHolidayName);
    m_viewClient.SetEventProc(&CShellApp::OnViewEvent, m_source.get());
}

void CShellApp::OpenStartupFile()
{
    if (!IsScheduleMode()) {
        if (!m_currentPersonal.empty())
            m_viewClient.SetPersonalPath(m_currentPersonal);
        m_viewClient.LoadPersonal();
        return;
    }
    if (m_startup.groupPath.empty())
        return;
    if (CMainFrame* frame = Frame())
        frame->ReadGroupFile(m_startup.groupPath);
    else
        m_group->ReadFile(m_startup.groupPath);
    if (m_startup.memberCode.empty())
        return;
    const int index = m_group->FindMember(m_startup.memberCode);
    if (index < 0)
        return;
    if (CMainFrame* frame = Frame())
        frame->Bar().SelectMember(index + 1);
}

void CShellApp::SetMode(int mode)
{
    m_viewClient.SetMode(mode);
    m_viewClient.SetPersonalPath(m_currentPersonal);
    // Without a path the view sets its default once, in the settings; the
    // program's copy must not write the old empty value over it at exit.
    if (m_settings.personal.empty())
        m_settings.personal = settings::Read(settings::kPersonal);
    m_viewClient.SwitchMode(mode);
    // The month may have changed while personal: read the displayed one.
    if (mode != 0)
        m_source->Refresh();
    if (CMainFrame* frame = Frame()) {
        CSelectBar* bar = &frame->Bar();
        const bool pressed = mode == 0;
        QMetaObject::invokeMethod(
            bar, [bar, pressed] { bar->SetPersonalButton(pressed); }, Qt::QueuedConnection);
        bar->ShowMode(mode != 0);
    }
}

void CShellApp::LoadSettings()
{
    mirovan::shell::LoadSettings(m_settings, platform::LoginName());
    m_currentPersonal = m_settings.personal;
}

void CShellApp::ReportDamagedSettings()
{
    const std::vector<registry::DamageReport> reports = registry::TakeDamageReports();
    if (reports.empty())
        return;
    QString files;
    for (const registry::DamageReport& report : reports) {
        files += "\n" + QString::fromUtf8(report.hivePath);
        if (!report.keptAs.empty())
            files += ResourceString(kSettingsKeptAsText).arg(QString::fromUtf8(report.keptAs));
    }
    m_ui->ShowMessage(qttext::ToUtf8(ResourceString(kSettingsDamagedText).arg(files)), MessageIcon::Exclamation);
}

void CShellApp::SaveSettings()
{
    if (mirovan::shell::SaveSettings(m_settings))
        return;
    // Otherwise the next start would silently forget where the files are.
    QString paths;
    for (const std::string* path : {&m_settings.personal, &m_settings.group})
        if (!path->empty())
            paths += "\n" + qttext::FromNativePath(*path);
    m_ui->ShowMessage(qttext::ToUtf8(ResourceString(kPathsNotSavedText).arg(paths)), MessageIcon::Exclamation);
}

void CShellApp::PersonalMoved(const std::string& from, const std::string& to)
{
    if (m_currentPersonal.empty() || m_currentPersonal == from)
        m_currentPersonal = to;
    // The exit writes this copy of the setting: it must not write the old
    // file's name back. Empty, it follows what the view stored for the
    // default file.
    if (m_settings.personal == from)
        m_settings.personal = to;
    else if (m_settings.personal.empty())
        m_settings.personal = settings::Read(settings::kPersonal);
}

QString CShellApp::StartFolder(FileKind kind) const
{
    const bool group = kind == FileKind::Group;
    std::string file = group ? (m_group ? m_group->Path() : std::string()) : m_currentPersonal;
    if (file.empty())
        file = group ? m_settings.group : m_settings.personal;
    std::string folder = file.empty() ? std::string() : platform::ParentFolder(file);
    if (folder.empty() || !QFileInfo(qttext::FromNativePath(folder)).isDir())
        folder = group ? m_lastGroupFolder : m_lastPersonalFolder;
    // Never the working folder, which is where the program was started from.
    if (folder.empty())
        folder = platform::HomeFolder();
    return qttext::FromNativePath(folder);
}

void CShellApp::RememberFolder(FileKind kind, const QString& chosenPath)
{
    (kind == FileKind::Group ? m_lastGroupFolder : m_lastPersonalFolder) =
        platform::ParentFolder(qttext::ToNativePath(chosenPath));
}

int32_t CShellApp::OnViewEvent(int32_t event, void* param, void*)
{
    if (const auto moved = ViewClient::MovedPersonal(event, param)) {
        if (CShellApp* app = Instance())
            app->PersonalMoved(moved->first, moved->second);
        return 0;
    }
    if (!ViewClient::IsDayDoubleClick(event, param))
        return 0;
    if (CShellApp* app = Instance())
        if (CMainFrame* frame = app->Frame())
            QMetaObject::invokeMethod(
                frame, [frame] { frame->OnCommand(ID_DAY_DETAILS); }, Qt::QueuedConnection);
    return 0;
}

} // namespace mirovan::shell
