#include "program/shell/CMainFrame.h"

#include "guisupport/QtText.h"
#include "personalformat/CPersonalMemos.h"
#include "program/calendar/IcsCalendar.h"
#include "program/groupdata/CGroup.h"
#include "program/groupdata/ScheduleTexts.h"
#include "program/shell/CGroupWeekWindow.h"
#include "program/shell/COptionPage0.h"
#include "program/shell/CSelectBar.h"
#include "program/shell/CShellApp.h"
#include "program/shell/CommandIds.h"
#include "program/shell/Dialogs.h"
#include "program/shell/ShellResources.h"
#include "program/shellcore/CScheduleSource.h"
#include "support/platform/Clock.h"
#include "support/platform/Platform.h"
#include "support/settings/SettingsStore.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QSessionManager>
#include <QStatusBar>
#include <algorithm>
#include <cstring>

namespace mirovan::shell {
namespace {

// "共有フォルダを読めません。%1", %1 the file that could not be read.
constexpr int kUnreadableShareText = 61310;

// The frame's client area: painted in the button-face colour, which
// shows in the one-pixel gaps around the view; its size drives the layout.
class ClientArea : public QWidget {
public:
    ClientArea(QWidget* parent, CMainFrame& frame) : QWidget(parent), m_frame(frame) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Button));
    }
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        m_frame.LayoutChildren(width(), height());
    }

private:
    CMainFrame& m_frame;
};

} // namespace

CMainFrame::CMainFrame(CShellApp& app) : m_app(app)
{
    setWindowTitle(ResourceString(10));
    setWindowIcon(ResourceIcon(102));
    BuildMenu();

    m_client = new ClientArea(this, *this);
    setCentralWidget(m_client);
    m_status = new QStatusBar(m_client);
    m_status->setSizeGripEnabled(true);
    m_statusText = new QLabel(ResourceString(57350), m_status);
    m_status->addWidget(m_statusText, 1);

    const Placement p = UnpackPlacement(settings::Read(settings::kXPos), settings::Read(settings::kYPos));
    m_placementRight = p.right;
    m_placementBottom = p.bottom;
    move(p.left, p.top);
    resize(std::max(p.right - p.left, 200), std::max(p.bottom - p.top, 150));
    m_pendingOuter = QRect(pos(), size());

    m_bar = new CSelectBar(static_cast<IBarHost&>(*this), m_client);
    m_barHeight = m_bar->height();
    // The whole control bar and a few rows of days stay in reach.
    setMinimumSize(m_bar->childrenRect().right() + 1,
                   menuBar()->sizeHint().height() + m_barHeight + 120 + std::max(16, m_status->sizeHint().height()));
    m_bar->setGeometry(0, 0, p.right, m_barHeight);

    const MVRECT rect{0, m_barHeight + 1, p.right, p.bottom - 17};
    const QWidgetList before = findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    app.View().Create(rect, static_cast<QWidget*>(this));
    // The frame's focus goes on to its view, so the keys work from the start.
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!before.contains(child))
            setFocusProxy(child);
    LayoutChildren();

    if (auto* session = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(session, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
            const bool mayAsk = manager.allowsInteraction();
            const bool saved = SaveForSession(mayAsk);
            if (mayAsk)
                manager.release();
            if (!saved) {
                manager.cancel();
                return;
            }
            OnShutdownQuery();
        });
}

CMainFrame::~CMainFrame()
{
    // The view is still alive here; it goes with the children after this.
    HandOverOnce();
    // The view may still show a message as it goes, and its loop would run
    // calls posted to this window or its parts while they are half gone.
    DropQueuedCommands();
}

void CMainFrame::ReportUnreadableShare(const std::string& path)
{
    m_statusText->setText(ResourceString(kUnreadableShareText).arg(qttext::FromUtf8(platform::PathForMessage(path))));
}

void CMainFrame::ClearUnreadableShare() { m_statusText->setText(ResourceString(57350)); }

void CMainFrame::DropQueuedCommands()
{
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    for (QObject* part : findChildren<QObject*>())
        QCoreApplication::removePostedEvents(part, QEvent::MetaCall);
}

void CMainFrame::ShowInitially()
{
    const int window = m_app.Settings().window;
    if (window == 2) {
        showMaximized();
    } else {
        show();
        ApplyStoredOuterRect();
    }
    raise();
    activateWindow();
    setFocus();
}

void CMainFrame::ApplyStoredOuterRect()
{
    if (!m_pendingOuter || !isVisible() || windowState() != Qt::WindowNoState)
        return;
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    // A window manager reports its frame only after the window is mapped.
    if (outer.size() == inner.size())
        return;
    const QRect wanted = *m_pendingOuter;
    // Just restored from maximised, the frame may still be the maximised
    // one (no borders): the rectangle is set again until it is exact, a
    // few times at most, so that a manager that rounds sizes is not fought.
    if (outer == wanted || ++m_placementTries > 4) {
        m_pendingOuter.reset();
        return;
    }
    resize(std::max(wanted.width() - (outer.width() - inner.width()), 1),
           std::max(wanted.height() - (outer.height() - inner.height()), 1));
    move(wanted.topLeft());
}

bool CMainFrame::event(QEvent* event)
{
    const bool result = QMainWindow::event(event);
    // A window started maximised gets its normal size when it is restored.
    // Looked at once the event is handled: the platform learns the frame
    // of a reconfigured window only after sending its move and resize.
    if (m_pendingOuter && (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
                           event->type() == QEvent::WindowStateChange || event->type() == QEvent::Show))
        QMetaObject::invokeMethod(
            this, [this] { ApplyStoredOuterRect(); }, Qt::QueuedConnection);
    return result;
}

void CMainFrame::BuildMenu()
{
    auto* radio = new QActionGroup(this);
    radio->setExclusive(true);
    for (const MenuPopup& popup : LoadMenu(104)) {
        QMenu* menu = menuBar()->addMenu(popup.title);
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateMenu);
        for (const MenuItem& item : popup.items) {
            if (item.id == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(item.text);
            const int id = item.id;
            connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
            if (id == ID_SHOW_GROUP || id == ID_SHOW_PERSONAL) {
                action->setCheckable(true);
                radio->addAction(action);
            }
            m_actions.insert(id, action);
        }
    }
}

void CMainFrame::UpdateMenu()
{
    const bool schedule = m_app.IsScheduleMode();
    if (QAction* details = Action(ID_DAY_DETAILS))
        details->setText(schedule ? QStringLiteral("詳細リスト(&L)\tEnter") : QStringLiteral("メモの編集(&L)\tEnter"));
    if (QAction* week = Action(ID_GROUP_WEEK))
        week->setEnabled(schedule);
    if (QAction* group = Action(ID_SHOW_GROUP))
        group->setChecked(schedule);
    if (QAction* personal = Action(ID_SHOW_PERSONAL))
        personal->setChecked(!schedule);
}

void CMainFrame::LayoutChildren(int width, int height)
{
    if (width == -1) {
        width = m_client->width();
        height = m_client->height();
    }
    const int statusHeight = std::max(16, m_status->sizeHint().height());
    m_status->setGeometry(0, height - statusHeight, width, statusHeight);
    if (m_bar)
        m_bar->setGeometry(0, 0, width, m_barHeight);
    // The view is the frame's own child; the client area starts below the menu bar.
    const QPoint origin = m_client->geometry().topLeft();
    const MVRECT rect{origin.x(), origin.y() + m_barHeight + 1, origin.x() + width,
                      origin.y() + height - statusHeight - 1};
    m_app.View().Move(rect);
}

void CMainFrame::UpdateTitle()
{
    const auto month = m_app.DisplayedMonth().Civil();
    if (!month)
        return;
    setWindowTitle(QStringLiteral("Mirovan - %1年%2月").arg(month->year).arg(month->month));
}

void CMainFrame::SaveWindowPlacement()
{
    if (isMinimized()) {
        m_app.SetWindowState(1);
        return;
    }
    if (isMaximized() || isFullScreen()) {
        m_app.SetWindowState(2);
        return;
    }
    m_app.SetWindowState(0);
    const QRect r = frameGeometry();
    uint32_t xpos = 0;
    uint32_t ypos = 0;
    PackPlacement(Placement{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}, xpos, ypos);
    settings::Write(settings::kXPos, xpos);
    settings::Write(settings::kYPos, ypos);
}

void CMainFrame::OnShutdownQuery() { HandOverToSettings(); }

bool CMainFrame::SaveForSession(bool mayAsk)
{
    // The log-off may end the program without another word: the memos
    // go to disk now. Asking is allowed only while the session waits.
    if (mayAsk)
        return m_app.View().SavePersonalBeforeClosing(true);
    m_app.View().SavePersonalWithoutWindows();
    return true;
}

void CMainFrame::HandOverOnce()
{
    if (m_handedOver)
        return;
    m_handedOver = true;
    HandOverToSettings();
}

void CMainFrame::HandOverToSettings()
{
    if (const std::optional<VIEWFONTS> fonts = m_app.View().Fonts())
        m_app.SetFonts(*fonts);
    if (const std::optional<int32_t> mode = m_app.View().Mode())
        m_app.SetStartMode(*mode);
    SaveWindowPlacement();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // While the window is still shown, so that a failure is asked about
    // over it and the user can keep it open.
    if (!m_app.View().SavePersonalBeforeClosing(true)) {
        event->ignore();
        return;
    }
    HandOverOnce();
    if (m_groupWeek)
        m_groupWeek->close();
    event->accept();
    QMainWindow::closeEvent(event);
}

void CMainFrame::PostCommand(int id)
{
    QMetaObject::invokeMethod(
        this, [this, id] { OnCommand(id); }, Qt::QueuedConnection);
}

void CMainFrame::OnCommand(int id)
{
    switch (id) {
    case ID_APP_ABOUT: {
        auto dialog = BuildAboutDialog(this);
        m_app.Ui().RunDialog(*dialog);
        break;
    }
    case ID_KEY_LIST: {
        auto dialog = BuildKeyListDialog(this);
        m_app.Ui().RunDialog(*dialog);
        break;
    }
    case ID_PRINT: Print(); break;
    case ID_EXPORT_CALENDAR: ExportCalendar(); break;
    case ID_GROUP_WEEK: ShowGroupWeek(); break;
    case ID_APP_EXIT: close(); break;
    case ID_PREV_MONTH: StepMonth(-1); break;
    case ID_NEXT_MONTH: StepMonth(1); break;
    case ID_THIS_MONTH: {
        const platform::LocalDate today = platform::Today();
        m_app.View().ThisMonth();
        m_bar->SetDate(DateValue{ToOleDate(today.year, today.month, today.day).value_or(0.0), 0});
        m_app.Source().Refresh();
        break;
    }
    case ID_OPEN_GROUP: OpenGroup(); break;
    case ID_OPTIONS: RunOptions(); break;
    case ID_REFRESH: Refresh(); break;
    case ID_DAY_DETAILS:
        if (m_app.IsScheduleMode())
            m_app.Source().ShowDayList();
        else
            m_app.View().EditMemo();
        break;
    case ID_NEW_PERSONAL: NewPersonalFile(); break;
    case ID_OPEN_PERSONAL: OpenPersonalFile(); break;
    case ID_SHOW_GROUP:
        if (!m_app.IsScheduleMode())
            m_app.SetMode(1);
        break;
    case ID_SHOW_PERSONAL: ShowPersonalFile(); break;
    default: break;
    }
}

void CMainFrame::Refresh()
{
    // Personal mode shows the personal file: that is what is read again,
    // which is also the way back after a read that failed.
    if (!m_app.IsScheduleMode()) {
        m_app.View().LoadPersonal();
        return;
    }
    // Without a group there is nothing to read, and nothing to complain of.
    if (m_app.Group().Path().empty()) {
        m_app.View().Redraw();
        return;
    }
    ReadGroupFile(m_app.Group().Path());
}

void CMainFrame::StepMonth(int delta)
{
    const auto shown = m_app.DisplayedMonth().Civil();
    const platform::LocalDate today = platform::Today();
    int year = shown ? shown->year : today.year;
    int month = (shown ? shown->month : today.month) + delta;
    if (month < 1) {
        month = 12;
        --year;
    } else if (month > 12) {
        month = 1;
        ++year;
    }
    if (delta < 0)
        m_app.View().PreviousMonth();
    else
        m_app.View().NextMonth();
    m_bar->SetDate(DateValue{ToOleDate(year, month, 1).value_or(0.0), 0});
}

void CMainFrame::Print()
{
    const CGroup& group = m_app.Group();
    const int index = group.SelectedIndex();
    if (index != -1 && index < group.MemberCount())
        m_app.View().Print(std::string(group.MemberAt(index).Name()));
    else
        m_app.View().Print();
}

void CMainFrame::ShowGroupWeek()
{
    // The week is of schedules; personal mode has none to show.
    if (!m_app.IsScheduleMode())
        return;
    if (!m_groupWeek)
        m_groupWeek = new CGroupWeekWindow(static_cast<IWeekHost&>(*this), this);
    // The week of the selected day, else of the displayed month's first.
    auto civil = m_app.View().SelectedDay().value_or(m_app.DisplayedMonth()).Civil();
    const platform::LocalDate today = platform::Today();
    m_groupWeek->ShowWeekOf(civil ? groupweek::Day{civil->year, civil->month, civil->day}
                                  : groupweek::Day{today.year, today.month, today.day});
}

bool CMainFrame::BarScheduleMode() { return m_app.IsScheduleMode(); }

CGroup& CMainFrame::BarGroup() { return m_app.Group(); }

const std::string& CMainFrame::BarPersonalPath() { return m_app.CurrentPersonal(); }

void CMainFrame::BarShowMonth(const DateValue& month) { m_app.View().SetMonth(month); }

void CMainFrame::BarRefresh() { m_app.Source().Refresh(); }

CGroup& CMainFrame::WeekGroup() { return m_app.Group(); }

bool CMainFrame::WeekShowsEndTime() { return m_app.Settings().endTime != 0; }

bool CMainFrame::WeekFollowsFolder() { return m_app.Settings().autoRefresh != 0; }

std::chrono::milliseconds CMainFrame::WeekPollInterval() { return m_app.PollInterval(); }

void CMainFrame::ShowMemberDay(int member, std::optional<groupweek::Day> day)
{
    if (!m_app.IsScheduleMode())
        OnCommand(ID_SHOW_GROUP);
    CGroup& group = m_app.Group();
    if (member >= 0 && member < group.MemberCount() && member != group.SelectedIndex()) {
        group.SetSelection(member);
        m_bar->ShowMemberEntry(member + 1);
    }
    if (day) {
        m_app.View().SetMonth(DateValue{ToOleDate(day->year, day->month, 1).value(), DateValue::kValid});
        m_bar->SetDate(DateValue{ToOleDate(day->year, day->month, day->day).value(), DateValue::kValid});
        m_app.View().SelectDay(day->day);
    } else {
        m_app.Source().Refresh();
    }
    raise();
    activateWindow();
}

void CMainFrame::ExportCalendar()
{
    const auto shown = m_app.DisplayedMonth().Civil();
    if (!shown)
        return;
    // The displayed month and the next two.
    const calendar::MonthRange range{shown->year, shown->month, 3};
    const bool schedule = m_app.IsScheduleMode();
    // A calendar of no one would be written empty without a word.
    if (schedule && SelectedMemberCode(m_app.Group()).empty()) {
        m_app.Ui().ShowMessage("メンバーが選択されていません。\r\n書き出すメンバーを選択してください。",
                               MessageIcon::Exclamation);
        return;
    }
    std::string personal;
    if (!schedule) {
        // Memos typed but not yet saved belong in the calendar too.
        m_app.View().SavePersonal();
        personal = m_app.CurrentPersonal();
        if (personal.empty())
            personal = settings::Read(settings::kPersonal);
    }
    const std::string source = schedule ? m_app.Group().Path() : personal;
    std::string stem = source.substr(source.find_last_of('/') + 1);
    stem = stem.substr(0, stem.rfind('.'));
    FileDialogRequest request;
    request.filter = qttext::FromUtf8("iCalendarファイル (*.ics);;全てのファイル (*)");
    request.defaultSuffix = QStringLiteral("ics");
    request.proposedName = QStringLiteral("%1%2%3.ics")
                               .arg(qttext::FromNativePath(stem))
                               .arg(shown->year)
                               .arg(shown->month, 2, 10, QLatin1Char('0'));
    request.save = true;
    request.folder = m_app.StartFolder(schedule ? CShellApp::FileKind::Group : CShellApp::FileKind::Personal);
    const auto chosen = m_app.Ui().ChooseFile(request);
    if (!chosen)
        return;
    std::string text;
    if (schedule) {
        text = calendar::ExportSchedule(m_app.Group(), m_app.Ui(), range);
    } else {
        personal::CPersonalMemos memos;
        if (!calendar::ReadPersonalFile(memos, personal, m_app.Ui()))
            return;
        text = calendar::ExportMemos(memos, range, platform::ModifiedTime(personal));
    }
    const std::string failure = calendar::WriteCalendarFile(qttext::ToNativePath(*chosen), text);
    if (!failure.empty()) {
        m_app.Ui().ShowMessage(failure, MessageIcon::Exclamation);
        return;
    }
    const int last = range.month + range.count - 2;
    const QString said = QStringLiteral("%1件の予定（%2年%3月～%4年%5月）を書き出しました。")
                             .arg(calendar::CountEvents(text))
                             .arg(range.year)
                             .arg(range.month)
                             .arg(range.year + last / 12)
                             .arg(last % 12 + 1);
    m_app.Ui().ShowMessage(qttext::ToUtf8(said), MessageIcon::Information);
}

bool CMainFrame::ReadGroupFile(const std::string& path)
{
    CGroup& group = m_app.Group();
    const bool whole = group.ReadFile(path) != 0;
    // A failed read has chosen no member: the grid is emptied all the same.
    if (whole)
        m_bar->OnDateChanged(true);
    else
        m_app.Source().Refresh();
    const std::string folder = platform::ParentFolder(group.Path());
    if (whole || folder.empty() || QFileInfo(qttext::FromNativePath(folder)).isDir())
        ClearUnreadableShare();
    else
        ReportUnreadableShare(folder);
    return whole;
}

void CMainFrame::OpenGroup()
{
    FileDialogRequest request;
    request.filter = qttext::FromUtf8("グループファイル (*.group);;全てのファイル (*)");
    request.defaultSuffix = QStringLiteral("group");
    request.folder = m_app.StartFolder(CShellApp::FileKind::Group);
    if (auto path = m_app.Ui().ChooseFile(request)) {
        m_app.RememberFolder(CShellApp::FileKind::Group, *path);
        ReadGroupFile(qttext::ToNativePath(*path));
    }
}

void CMainFrame::NewPersonalFile()
{
    FileDialogRequest request;
    request.title = QStringLiteral("作成するファイルの名前を入力");
    request.filter = qttext::FromUtf8("全てのファイル (*)");
    request.defaultSuffix = QStringLiteral("mvp");
    request.proposedName = QStringLiteral("新しいデータ.mvp");
    request.save = true;
    request.folder = m_app.StartFolder(CShellApp::FileKind::Personal);
    auto path = m_app.Ui().ChooseFile(request);
    if (!path)
        return;
    m_app.RememberFolder(CShellApp::FileKind::Personal, *path);
    // The memos not yet saved belong to the file in use.
    if (!m_app.View().SavePersonalBeforeClosing(true))
        return;
    m_app.SetCurrentPersonal(qttext::ToNativePath(*path));
    m_app.SetMode(0);
    m_app.View().SetPersonalPath(m_app.CurrentPersonal());
    m_app.View().SavePersonal();
}

void CMainFrame::OpenPersonalFile()
{
    FileDialogRequest request;
    request.filter = qttext::FromUtf8("Mirovanファイル (*.mvp);;全てのファイル (*)");
    request.defaultSuffix = QStringLiteral("mvp");
    request.folder = m_app.StartFolder(CShellApp::FileKind::Personal);
    auto path = m_app.Ui().ChooseFile(request);
    if (!path)
        return;
    m_app.RememberFolder(CShellApp::FileKind::Personal, *path);
    // In either mode: a save that failed earlier left memos only here. The
    // user may go back and keep the file in use.
    if (!m_app.View().SavePersonalBeforeClosing(true))
        return;
    m_app.SetCurrentPersonal(qttext::ToNativePath(*path));
    m_app.View().SetPersonalPath(m_app.CurrentPersonal());
    m_app.SetMode(0);
}

void CMainFrame::ShowPersonalFile()
{
    if (!m_app.IsScheduleMode())
        return;
    if (m_app.CurrentPersonal().empty()) {
        m_app.SetPersonalSetting(settings::Read(settings::kPersonal));
        if (!m_app.Settings().personal.empty()) {
            m_app.SetCurrentPersonal(m_app.Settings().personal);
        } else if (!m_app.Ui().AskYesNo(ResourceString(57396))) {
            m_bar->SetPersonalButton(false);
            return;
        } else {
            NewPersonalFile();
            m_app.SetPersonalSetting(m_app.CurrentPersonal());
        }
    }
    m_app.SetMode(0);
}

void CMainFrame::RunOptions() { RunOptionsSheet(m_app, this); }

} // namespace mirovan::shell
