// The program follows the shared folder by itself: the real program
// objects and view library, offscreen, while the fixture writer rewrites
// the month file under them.
#include "ShellTestSupport.h"

#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"
#include "program/shell/CMainFrame.h"
#include "program/shell/COptionPage0.h"
#include "program/shell/CSelectBar.h"
#include "program/shell/CShellApp.h"
#include "program/shellcore/CFileChangeTracker.h"
#include "support/OleDate.h"
#include "support/platform/Platform.h"
#include "support/registry/Registry.h"
#include "support/settings/SettingsTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>
#include <cerrno>
#include <filesystem>

using namespace mirovan;
using namespace mirovan::shell;
using registry::Root;

namespace {

// Far beyond the settle time and the periodic look; no speed is measured.
constexpr int kBound = 30000;

struct Run {
    Run(const std::string& line, test::ScriptedUi& ui, bool notifications,
        std::chrono::milliseconds shrinkSettle = CFileChangeTracker::kShrinkSettleTime,
        std::chrono::milliseconds poll = std::chrono::milliseconds(3000))
        : app(CShellApp::Options{{}, &ui, notifications, poll, shrinkSettle})
    {
        started = app.Startup(line);
        const DateValue d{ToOleDate(2007, 12, 1).value(), 0};
        app.View().SetMonth(d);
        app.Frame()->Bar().SetDate(d);
        app.View().SelectDay(20);
    }
    ~Run() { app.Shutdown(); }
    QWidget* View() const { return app.Frame()->findChild<QWidget*>(QStringLiteral("monthView")); }

    CShellApp app;
    bool started = false;
};

// What the view repaints from now on.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget* view) { view->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
    QRegion painted;
};

tillbrook::EntryRecord Entry(const char* owner, int day, int hour, const char* content, int minute = 0)
{
    tillbrook::EntryRecord e;
    e.start = tillbrook::At(2007, 12, day, hour, minute);
    e.end = tillbrook::At(2007, 12, day, hour + 1, minute);
    e.remarks = test::Sjis("備考");
    e.content = test::Sjis(content);
    e.ownerCode = owner;
    return e;
}

// December as WriteSalesGroup has it, with a second entry on the 20th.
std::string DecemberWithAMeeting()
{
    return tillbrook::ScheduleFileBytes({Entry("M001", 5, 9, "定例会議"), Entry("M001", 5, 8, "朝礼", 30),
                                         Entry("M002", 5, 10, "顧客訪問"), Entry("M001", 20, 13, "忘年会準備"),
                                         Entry("M001", 20, 16, "臨時会議")});
}

// Long enough for the settle time and a periodic look, with room to spare.
void WaitForLooks() { QTest::qWait(2 * static_cast<int>(CFileChangeTracker::kSettleTime.count()) + 3500); }

// The file layer fails the steps asked for on one path, as a share that
// went away does, until the test ends or lifts it.
class ShareFault {
public:
    ShareFault(const std::string& path, platform::FileStep step, int afterReads = 0)
    {
        platform::SetFaultHook([path, step, afterReads, reads = 0](platform::FileStep s, const std::string& p) mutable {
            if (p != path || s != step)
                return 0;
            return ++reads > afterReads ? EIO : 0;
        });
    }
    ~ShareFault() { Lift(); }
    void Lift() { platform::SetFaultHook(nullptr); }
};

// The rows of the day list the Enter key opens for the selected day.
int DayListRows(Run& run)
{
    auto seen = test::CloseNextModal();
    QTest::keyClick(run.app.Frame()->Bar().YearEdit(), Qt::Key_Return);
    return seen->rows;
}

} // namespace

class CAutoRefreshTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<test::IsolatedHome>();
        m_group = test::WriteSalesGroup(m_home->Path().toStdString());
        m_month = CScheduleMonth::MonthFilePath(m_group, 2007, 12);
        registry::WriteText(Root::CurrentUser, settings::kSelected, test::Sjis("営業部"), "M001");
    }
    void cleanup() { m_home.reset(); }

    void rewrittenMonthShowsWithoutF5_data()
    {
        QTest::addColumn<bool>("notifications");
        QTest::newRow("notifications") << true;
        QTest::newRow("periodic look alone") << false;
    }

    void rewrittenMonthShowsWithoutF5()
    {
        QFETCH(bool, notifications);
        test::ScriptedUi ui;
        Run run(m_group, ui, notifications);
        QVERIFY(run.started);
        QCOMPARE(DayListRows(run), 1);
        QCOMPARE(run.app.Settings().autoRefresh, 1);
        QWidget* view = run.View();
        QVERIFY(view && view->isVisible());
        PaintRecorder recorder(view);
        // The first paint of the window comes before the change.
        QTRY_VERIFY_WITH_TIMEOUT(!recorder.painted.isEmpty(), kBound);
        QTest::qWait(2 * static_cast<int>(CFileChangeTracker::kSettleTime.count()));
        recorder.painted = QRegion();

        tillbrook::WriteFile(m_month, DecemberWithAMeeting());
        QTRY_COMPARE_WITH_TIMEOUT(run.app.Month().EntryCount(), 5, kBound);
        QTRY_VERIFY_WITH_TIMEOUT(!recorder.painted.isEmpty(), kBound);
        // Only the 20th changed: one cell, not the month, is painted again.
        QString rects;
        for (const QRect& r : recorder.painted)
            rects += QStringLiteral(" %1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
        const QRect cell = recorder.painted.boundingRect();
        QVERIFY2(recorder.painted.rectCount() == 1 && cell.width() * 5 < view->width() &&
                     cell.height() * 4 < view->height(),
                 qPrintable(rects + QStringLiteral(" of %1x%2").arg(view->width()).arg(view->height())));
        // The member choice and the selected day are as the user left them.
        QCOMPARE(run.app.Frame()->Bar().MemberList()->currentIndex(), 1);
        QCOMPARE(run.app.View().SelectedDay()->Civil()->day, 20);
        QCOMPARE(DayListRows(run), 2);
        QVERIFY(ui.messages.empty());
    }

    void changedGroupKeepsTheMemberAndDay()
    {
        test::ScriptedUi ui;
        Run run(m_group, ui, true);
        tillbrook::GroupRecord group;
        group.name = test::Sjis("営業部");
        group.members.push_back({test::Sjis("新人"), "M003", "", {}, 0, {}});
        group.members.push_back({test::Sjis("佐藤 一郎"), "M001", "", {}, 0, {}});
        tillbrook::WriteFile(m_group, tillbrook::GroupFileBytes(group));
        QTRY_COMPARE_WITH_TIMEOUT(run.app.Group().MemberCount(), 2, kBound);
        QCOMPARE(run.app.Group().SelectedCode(), std::string("M001"));
        QCOMPARE(run.app.Frame()->Bar().MemberList()->currentIndex(), 2);
        QCOMPARE(run.app.View().SelectedDay()->Civil()->day, 20);
        QCOMPARE(DayListRows(run), 1);
    }

    void halfWrittenFileIsNeverShown()
    {
        test::ScriptedUi ui;
        Run run(m_group, ui, true);
        const std::string whole = DecemberWithAMeeting();
        // The writer stopped inside the last record and stays there a while.
        tillbrook::WriteFile(m_month, whole.substr(0, whole.size() - 7));
        QTest::qWait(2 * static_cast<int>(CFileChangeTracker::kSettleTime.count()) + 3500);
        QCOMPARE(run.app.Month().EntryCount(), 4);
        QCOMPARE(DayListRows(run), 1);

        // A group file shorter than its counts is not read either.
        const std::string groupBytes = platform::ReadSmallFile(m_group).value();
        tillbrook::WriteFile(m_group, groupBytes.substr(0, groupBytes.size() - 3));
        tillbrook::WriteFile(m_month, whole);
        QTRY_COMPARE_WITH_TIMEOUT(run.app.Month().EntryCount(), 5, kBound);
        QCOMPARE(run.app.Group().MemberCount(), 3);
        QCOMPARE(DayListRows(run), 2);
        QVERIFY(ui.messages.empty());
    }

    void writerPausedAfterADeletionIsNotShown()
    {
        test::ScriptedUi ui;
        Run run(m_group, ui, true, std::chrono::milliseconds(7000));
        tillbrook::WriteFile(m_month, DecemberWithAMeeting());
        QTRY_COMPARE_WITH_TIMEOUT(run.app.Month().EntryCount(), 5, kBound);

        // 朝礼 is deleted: the writer puts the file down again and pauses
        // after the first two records, where the file reads whole.
        const std::vector<tillbrook::EntryRecord> kept = {
            Entry("M001", 5, 9, "定例会議"), Entry("M002", 5, 10, "顧客訪問"), Entry("M001", 20, 13, "忘年会準備"),
            Entry("M001", 20, 16, "臨時会議")};
        tillbrook::WriteFile(m_month, tillbrook::ScheduleFileBytes({kept[0], kept[1]}));
        WaitForLooks();
        QCOMPARE(run.app.Month().EntryCount(), 5);
        QCOMPARE(DayListRows(run), 2);
        // It goes on; a pause part way is still the same write.
        tillbrook::WriteFile(m_month, tillbrook::ScheduleFileBytes({kept[0], kept[1], kept[2]}));
        WaitForLooks();
        QCOMPARE(run.app.Month().EntryCount(), 5);

        tillbrook::WriteFile(m_month, tillbrook::ScheduleFileBytes(kept));
        QTRY_COMPARE_WITH_TIMEOUT(run.app.Month().EntryCount(), 4, kBound);
        QCOMPARE(DayListRows(run), 2);
        QVERIFY(ui.messages.empty());
    }

    void unreadableShareKeepsWhatIsShown()
    {
        test::ScriptedUi ui;
        // Looks every second: each failure is tried again at the next.
        Run run(m_group, ui, false, CFileChangeTracker::kShrinkSettleTime, std::chrono::milliseconds(1000));
        QTRY_COMPARE_WITH_TIMEOUT(test::StatusText(*run.app.Frame()), QStringLiteral("レディ"), kBound);
        WaitForLooks();

        // The month file cannot be opened: the four entries stay, and the
        // new state shows once the share answers again.
        {
            ShareFault fault(m_month, platform::FileStep::Open);
            tillbrook::WriteFile(m_month, DecemberWithAMeeting());
            QTRY_VERIFY_WITH_TIMEOUT(
                test::StatusText(*run.app.Frame()).startsWith(QStringLiteral("共有フォルダを読めません。")), kBound);
            QVERIFY(test::StatusText(*run.app.Frame()).endsWith(QString::fromStdString(m_month)));
            WaitForLooks();
            QCOMPARE(run.app.Month().EntryCount(), 4);
        }
        QTRY_COMPARE_WITH_TIMEOUT(run.app.Month().EntryCount(), 5, kBound);
        QCOMPARE(test::StatusText(*run.app.Frame()), QStringLiteral("レディ"));

        // It fails part way through a long month (longer than one read).
        std::vector<tillbrook::EntryRecord> many;
        for (int i = 0; i < 5000; ++i)
            many.push_back(Entry("M002", 1 + i % 28, 8 + i % 10, "顧客訪問"));
        {
            ShareFault fault(m_month, platform::FileStep::Read, 1);
            tillbrook::WriteFile(m_month, tillbrook::ScheduleFileBytes(many));
            QTRY_VERIFY_WITH_TIMEOUT(test::StatusText(*run.app.Frame()) != QStringLiteral("レディ"), kBound);
            WaitForLooks();
            QCOMPARE(run.app.Month().EntryCount(), 5);
            QCOMPARE(DayListRows(run), 2);
        }
        QTRY_COMPARE_WITH_TIMEOUT(run.app.Month().EntryCount(), 5000, kBound);
        QCOMPARE(test::StatusText(*run.app.Frame()), QStringLiteral("レディ"));

        // The group file cannot be read: the member stays chosen, and the
        // change is read once it can be.
        {
            ShareFault fault(m_group, platform::FileStep::Open);
            tillbrook::GroupRecord group;
            group.name = test::Sjis("営業部");
            group.members.push_back({test::Sjis("新人"), "M003", "", {}, 0, {}});
            group.members.push_back({test::Sjis("佐藤 一郎"), "M001", "", {}, 0, {}});
            tillbrook::WriteFile(m_group, tillbrook::GroupFileBytes(group));
            QTRY_VERIFY_WITH_TIMEOUT(test::StatusText(*run.app.Frame()).endsWith(QString::fromStdString(m_group)),
                                     kBound);
            WaitForLooks();
            QCOMPARE(run.app.Group().MemberCount(), 3);
            QCOMPARE(run.app.Frame()->Bar().MemberList()->currentIndex(), 1);
        }
        QTRY_COMPARE_WITH_TIMEOUT(run.app.Group().MemberCount(), 2, kBound);
        QCOMPARE(run.app.Frame()->Bar().MemberList()->currentIndex(), 2);
        QCOMPARE(test::StatusText(*run.app.Frame()), QStringLiteral("レディ"));

        // The folder cannot even be looked at: said, and nothing read.
        {
            ShareFault fault(m_group, platform::FileStep::Look);
            QTRY_VERIFY_WITH_TIMEOUT(test::StatusText(*run.app.Frame()).endsWith(QString::fromStdString(m_group)),
                                     kBound);
            QCOMPARE(run.app.Month().EntryCount(), 5000);
        }
        QTRY_COMPARE_WITH_TIMEOUT(test::StatusText(*run.app.Frame()), QStringLiteral("レディ"), kBound);
        QVERIFY(ui.messages.empty());
    }

    void monthAboveTheLimitKeepsWhatIsShown()
    {
        test::ScriptedUi ui;
        Run run(m_group, ui, true);
        WaitForLooks();
        // Sparse, so the test costs no disk.
        std::filesystem::resize_file(m_month, CScheduleMonth::kMaxFileBytes + 1);
        QTRY_COMPARE_WITH_TIMEOUT(ui.messages.size(), size_t{1}, kBound);
        QVERIFY(ui.messages[0].starts_with("スケジュールファイルを読み込めません。"));
        QCOMPARE(run.app.Month().EntryCount(), 4);
        QCOMPARE(DayListRows(run), 1);
        // Said once, not at every look.
        WaitForLooks();
        QCOMPARE(ui.messages.size(), size_t{1});

        tillbrook::WriteFile(m_month, DecemberWithAMeeting());
        QTRY_COMPARE_WITH_TIMEOUT(run.app.Month().EntryCount(), 5, kBound);
    }

    void optionOffLeavesItToF5()
    {
        test::ScriptedUi ui;
        Run run(m_group, ui, true);
        // The box is on by default; the user clears it.
        ui.onDialog = [](QDialog& dialog) {
            auto* page = static_cast<COptionPage0*>(dialog.findChild<QWidget*>(QStringLiteral("COptionPage0")));
            auto* box = page ? qobject_cast<QCheckBox*>(page->Control(1040)) : nullptr;
            if (!box || !box->isChecked() || box->text() != QStringLiteral("共有フォルダの変更を自動的に反映する(&A)"))
                return -1;
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
            dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            return dialog.result();
        };
        QVERIFY(RunOptionsSheet(run.app, run.app.Frame()));
        QCOMPARE(registry::ReadNumber(Root::CurrentUser, settings::kProperty, settings::kAutoRefresh.name, 7), 0u);

        tillbrook::WriteFile(m_month, DecemberWithAMeeting());
        QTest::qWait(2 * static_cast<int>(CFileChangeTracker::kSettleTime.count()) + 3500);
        QCOMPARE(run.app.Month().EntryCount(), 4);
        QTest::keyClick(run.app.Frame(), Qt::Key_F5);
        QCOMPARE(run.app.Month().EntryCount(), 5);
    }

private:
    std::unique_ptr<test::IsolatedHome> m_home;
    std::string m_group;
    std::string m_month;
};

QTEST_MAIN(CAutoRefreshTest)
#include "CAutoRefreshTest.moc"
