// The real program with the real view library, offscreen, through a day
// of ordinary use: the grid, the window and its dialogs, the keys.
#include "ShellTestSupport.h"

#include "program/groupdata/CGroup.h"
#include "program/shell/CMainFrame.h"
#include "program/shell/CSelectBar.h"
#include "program/shell/CShellApp.h"
#include "program/shell/CommandIds.h"
#include "program/shellcore/CommandLine.h"
#include "support/Profile.h"
#include "support/registry/Registry.h"
#include "support/settings/SettingsTable.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QWindow>
#include <QtTest>
#include <fstream>

using namespace mirovan;
using namespace mirovan::shell;
using registry::Root;

namespace {

// One run of the program: start-up with a command line, then shut down
// when the object goes.
struct Run {
    explicit Run(const std::string& line, test::ScriptedUi& ui) : app(CShellApp::Options{{}, &ui})
    {
        started = app.Startup(line);
    }
    ~Run() { app.Shutdown(); }
    CMainFrame& Frame() { return *app.Frame(); }
    CSelectBar& Bar() { return app.Frame()->Bar(); }
    QImage Grid() { return Frame().focusProxy()->grab().toImage(); }

    CShellApp app;
    bool started = false;
};

void SetMonth(CShellApp& app, int year, int month)
{
    const DateValue d{ToOleDate(year, month, 1).value(), 0};
    app.View().SetMonth(d);
    app.Frame()->Bar().SetDate(d);
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

} // namespace

class DailyUseTest : public QObject {
    Q_OBJECT

private slots:
    void init() { m_home = std::make_unique<test::IsolatedHome>(); }
    void cleanup() { m_home.reset(); }

    void noMemberShowsNoEntries_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("empty group opened") << "empty";
        QTest::newRow("group cut in its header") << "cut";
        QTest::newRow("F5 with the share down") << "down";
    }

    void noMemberShowsNoEntries()
    {
        QFETCH(QString, way);
        QVERIFY(QDir(m_home->Path()).mkdir(QStringLiteral("share")));
        const std::string folder = m_home->File("share");
        const std::string group = test::WriteSalesGroup(folder);
        registry::WriteText(Root::CurrentUser, settings::kSelected, test::Sjis("営業部"), "M001");
        test::ScriptedUi ui;
        Run run(group, ui);
        SetMonth(run.app, 2007, 12);
        const QImage member = run.Grid();

        // What "(選択なし)" chosen from the list shows.
        QComboBox* members = run.Bar().MemberList();
        members->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(members, Qt::Key_Up);
        QCOMPARE(members->currentIndex(), 0);
        const QImage nobody = run.Grid();
        QVERIFY(nobody != member);
        QTest::keyClick(members, Qt::Key_Down);
        QCOMPARE(run.Grid(), member);

        if (way == QLatin1String("empty")) {
            tillbrook::GroupRecord empty;
            empty.name = test::Sjis("空");
            const std::string path = folder + "/empty.group";
            tillbrook::WriteFile(path, tillbrook::GroupFileBytes(empty));
            ui.files.push_back(QString::fromStdString(path));
            QTest::mouseClick(static_cast<QPushButton*>(run.Bar().Control(IDC_OPEN)), Qt::LeftButton);
            QTRY_COMPARE(ui.fileRequests.size(), size_t(1));
            QCOMPARE(run.app.Group().Path(), path);
        } else if (way == QLatin1String("cut")) {
            tillbrook::WriteFile(group, ReadBytes(group).substr(0, 6));
            QTest::keyClick(&run.Frame(), Qt::Key_F5);
            QCOMPARE(ui.messages.size(), size_t(1));
        } else {
            QVERIFY(QDir(m_home->Path()).rename(QStringLiteral("share"), QStringLiteral("share-down")));
            QTest::keyClick(&run.Frame(), Qt::Key_F5);
            QCOMPARE(ui.messages.size(), size_t(1));
            QVERIFY(test::StatusText(run.Frame()).startsWith(QStringLiteral("共有フォルダを読めません。")));
            QVERIFY(test::StatusText(run.Frame()).endsWith(QString::fromStdString(folder)));
            // Back again: the member's entries return and the notice goes.
            QVERIFY(QDir(m_home->Path()).rename(QStringLiteral("share-down"), QStringLiteral("share")));
            QTest::keyClick(&run.Frame(), Qt::Key_F5);
            QCOMPARE(members->currentIndex(), 1);
            QCOMPARE(run.Grid(), member);
            QCOMPARE(test::StatusText(run.Frame()), QStringLiteral("レディ"));
            QVERIFY(QDir(m_home->Path()).rename(QStringLiteral("share"), QStringLiteral("share-down")));
            QTest::keyClick(&run.Frame(), Qt::Key_F5);
        }
        QCOMPARE(members->currentIndex(), 0);
        QCOMPARE(run.Grid(), nobody);
    }

    void aMemberMissingForAWhileStaysChosen()
    {
        const std::string group = test::WriteSalesGroup(m_home->Path().toStdString());
        const std::string whole = ReadBytes(group);
        tillbrook::GroupRecord without;
        without.name = test::Sjis("営業部");
        without.members.push_back({test::Sjis("佐藤 一郎"), "M001", "", {}, 0, {}});
        without.members.push_back({test::Sjis("監査"), "M099", "", {}, 0x20, {}});
        registry::WriteText(Root::CurrentUser, settings::kSelected, test::Sjis("営業部"), "M002");
        {
            test::ScriptedUi ui;
            Run run(group, ui);
            SetMonth(run.app, 2007, 12);
            QComboBox* members = run.Bar().MemberList();
            QCOMPARE(members->currentIndex(), 2);
            const QImage chosen = run.Grid();

            // Another program rewrites the file without her, then with her.
            tillbrook::WriteFile(group, tillbrook::GroupFileBytes(without));
            QTRY_COMPARE_WITH_TIMEOUT(run.app.Group().MemberCount(), 2, 30000);
            QCOMPARE(members->currentIndex(), 0);
            QVERIFY(run.Grid() != chosen);
            tillbrook::WriteFile(group, whole);
            QTRY_COMPARE_WITH_TIMEOUT(run.app.Group().MemberCount(), 3, 30000);
            QCOMPARE(members->currentIndex(), 2);
            QCOMPARE(run.Grid(), chosen);

            // Missing at exit, and after F5 as well.
            tillbrook::WriteFile(group, tillbrook::GroupFileBytes(without));
            QTRY_COMPARE_WITH_TIMEOUT(run.app.Group().MemberCount(), 2, 30000);
            QTest::keyClick(&run.Frame(), Qt::Key_F5);
            QCOMPARE(members->currentIndex(), 0);
        }
        QCOMPARE(registry::ReadText(Root::CurrentUser, settings::kSelected, test::Sjis("営業部"), ""), "M002");
        tillbrook::WriteFile(group, whole);
        test::ScriptedUi ui;
        Run run(group, ui);
        QCOMPARE(run.Bar().MemberList()->currentIndex(), 2);
        // Only the user's own choice of no one forgets her.
        QComboBox* members = run.Bar().MemberList();
        members->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(members, Qt::Key_Home);
        QCOMPARE(members->currentIndex(), 0);
        QTest::keyClick(&run.Frame(), Qt::Key_F5);
        QCOMPARE(members->currentIndex(), 0);
        QVERIFY(run.app.Group().ChosenCode().empty());
    }

    void windowsAndDialogsOpenOnTheScreen()
    {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        const std::string group = test::WriteSalesGroup(m_home->Path().toStdString());
        registry::WriteText(Root::CurrentUser, settings::kSelected, test::Sjis("営業部"), "M001");
        // Left on a larger screen: the window and the day list reach past
        // this one's edges, and the list is taller than it.
        const auto pack = [](int high, int low) { return uint32_t(high) << 16 | uint32_t(low); };
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "XPOS",
                              pack(area.right() - 200, area.right() + 400));
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "YPOS",
                              pack(area.bottom() - 100, area.bottom() + 300));
        profile::WriteNumber(settings::kProfileSection, "MVListPos", pack(area.right() - 100, area.bottom() - 50));
        profile::WriteNumber(settings::kProfileSection, "MVListSize", pack(360, area.height() + 174));
        test::ScriptedUi ui;
        Run run(group, ui);
        QTRY_VERIFY(area.contains(run.Frame().frameGeometry()));
        QCOMPARE(run.Frame().frameGeometry().size(), QSize(600, 400));

        SetMonth(run.app, 2007, 12);
        run.app.View().SelectDay(5);
        QRect list;
        QRect close;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            QTRY_VERIFY(area.contains(dialog->frameGeometry()));
            list = dialog->frameGeometry();
            for (auto* button : dialog->findChildren<QPushButton*>())
                if (button->text().contains(QStringLiteral("閉じる")))
                    close = QRect(button->mapToGlobal(QPoint(0, 0)), button->size());
            static_cast<QDialog*>(dialog)->reject();
        });
        QTest::keyClick(&run.Frame(), Qt::Key_Return);
        QVERIFY(area.contains(list));
        QCOMPARE(list.height(), area.height());
        QVERIFY(!close.isEmpty() && area.contains(close));

        // A dialog that grows while open stays on the screen too.
        QDialog grows(&run.Frame());
        grows.setGeometry(area.left() + 50, area.bottom() - 150, 200, 100);
        grows.show();
        grows.resize(200, 400);
        QTRY_VERIFY(area.contains(grows.frameGeometry()));
        QCOMPARE(grows.height(), 400);

        // However small the user makes it, the control bar stays whole.
        run.Frame().resize(100, 100);
        QVERIFY(run.Frame().width() >= run.Bar().childrenRect().right());
        QVERIFY(run.Frame().Client()->height() > run.Bar().height() + 100);
    }

    // Under a window manager the frame differs between maximised and
    // normal; run this one with QT_QPA_PLATFORM=xcb too.
    void normalRectangleComesBackAfterAMaximisedExit()
    {
        test::ScriptedUi ui;
        QRect outer;
        {
            Run run("", ui);
            QVERIFY(QTest::qWaitForWindowExposed(&run.Frame()));
            run.Frame().setGeometry(140, 100, 520, 330);
            QTRY_VERIFY(run.Frame().frameGeometry() != run.Frame().geometry() ||
                        QGuiApplication::platformName() == QLatin1String("offscreen"));
            outer = run.Frame().frameGeometry();
            run.Frame().OnCommand(ID_APP_EXIT);
        }
        for (int cycle = 0; cycle < 3; ++cycle) {
            {
                Run run("", ui);
                QVERIFY(QTest::qWaitForWindowExposed(&run.Frame()));
                QTRY_COMPARE(run.Frame().frameGeometry(), outer);
                run.Frame().showMaximized();
                QTRY_VERIFY(run.Frame().isMaximized());
                run.Frame().OnCommand(ID_APP_EXIT);
            }
            Run run("", ui);
            QVERIFY(QTest::qWaitForWindowExposed(&run.Frame()));
            QTRY_VERIFY(run.Frame().isMaximized());
            QTest::qWait(200);
            // As the window manager's own button does: the widget's
            // showNormal() would set the size itself.
            run.Frame().windowHandle()->showNormal();
            QTRY_COMPARE(run.Frame().frameGeometry(), outer);
            run.Frame().showMinimized();
            run.Frame().OnCommand(ID_APP_EXIT);
        }
    }

    void f5WithoutAGroupSaysNothing()
    {
        registry::WriteText(Root::CurrentUser, settings::kProperty, "Personal", m_home->File("mine.mvp"));
        test::ScriptedUi ui;
        Run run("", ui);
        QTest::keyClick(&run.Frame(), Qt::Key_F5);
        QTest::mouseClick(static_cast<QPushButton*>(run.Bar().Control(IDC_REFRESH)), Qt::LeftButton);
        auto notice = test::CloseNextModal(); // the view creates the missing file
        QTest::mouseClick(run.Bar().PersonalButton(), Qt::LeftButton);
        QTRY_VERIFY(!run.app.IsScheduleMode());
        QTest::keyClick(&run.Frame(), Qt::Key_F5);
        QCoreApplication::processEvents();
        QVERIFY2(ui.messages.empty(), ui.messages.empty() ? "" : ui.messages.front().c_str());
    }

    void calendarExportSaysWhatItWrote()
    {
        const std::string group = test::WriteSalesGroup(m_home->Path().toStdString());
        const QString out = m_home->Path() + QStringLiteral("/out.ics");
        test::ScriptedUi ui;
        ui.files = {out};
        Run run(group, ui);
        SetMonth(run.app, 2007, 12);
        QAction* item = run.Frame().Action(ID_EXPORT_CALENDAR);

        // (選択なし): told, and neither asked for a file nor written.
        item->trigger();
        QCOMPARE(ui.messages.size(), size_t(1));
        QVERIFY(QString::fromStdString(ui.messages.back()).contains(QStringLiteral("メンバーが選択されていません")));
        QVERIFY(ui.fileRequests.empty());
        QVERIFY(!QFileInfo::exists(out));

        QComboBox* members = run.Bar().MemberList();
        members->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(members, Qt::Key_Down);
        item->trigger();
        QVERIFY(QFileInfo::exists(out));
        QCOMPARE(QString::fromStdString(ui.messages.back()),
                 QStringLiteral("4件の予定（2007年12月～2008年2月）を書き出しました。"));
    }

    // The launcher's form as a shell hands it over, unquoted and split.
    void launcherFormSplitByAShellOpensTheGroup()
    {
        QVERIFY(QDir(m_home->Path()).mkpath(QStringLiteral("共有 フォルダ")));
        const std::string group = test::WriteSalesGroup(m_home->File("共有 フォルダ"));
        const std::string folder = m_home->File("共有");
        test::ScriptedUi ui;
        CShellApp app(CShellApp::Options{{}, &ui});
        QVERIFY(app.Startup(JoinArguments({"/BYLINK", "/file:" + folder, "フォルダ/sales.group", "/member:M002"})));
        QCOMPARE(app.Group().Path(), group);
        QCOMPARE(app.Frame()->Bar().MemberList()->currentIndex(), 2);
        QVERIFY(ui.messages.empty());
        app.Shutdown();
    }

    void keysStayWithTheFocusedField()
    {
        registry::WriteText(Root::CurrentUser, settings::kProperty, "Personal", m_home->File("mine.mvp"));
        test::ScriptedUi ui;
        Run run("", ui);
        const size_t dialogs = ui.dialogTitles.size(); // the first start's
        SetMonth(run.app, 2007, 12);
        QLineEdit* year = run.Bar().YearEdit();
        year->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(year, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(year->selectedText(), QStringLiteral("2007"));
        QTest::keyClick(year, Qt::Key_Delete);
        QCOMPARE(year->text(), QString());
        // ▲ on the empty box goes on from the year shown.
        QTest::keyClick(year, Qt::Key_Up);
        QCOMPARE(year->text(), QStringLiteral("2008"));
        QCOMPARE(ui.dialogTitles.size(), dialogs);

        // Enter on the focused button presses it, and opens no day list.
        auto notice = test::CloseNextModal(); // the view creates the missing file
        QPushButton* personal = run.Bar().PersonalButton();
        personal->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(personal, Qt::Key_Return);
        QTRY_VERIFY(!run.app.IsScheduleMode());

        // The memo editor keeps Ctrl+A too.
        run.app.View().SelectDay(5);
        QTest::keyClick(&run.Frame(), Qt::Key_Return);
        QPlainTextEdit* memo = nullptr;
        QTRY_VERIFY((memo = run.Frame().findChild<QPlainTextEdit*>()) && memo->isVisible());
        memo->setFocus(Qt::OtherFocusReason);
        QTest::keyClicks(memo, QStringLiteral("memo"));
        QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(memo->textCursor().selectedText(), QStringLiteral("memo"));
        QCOMPARE(ui.dialogTitles.size(), dialogs);
        // Elsewhere Ctrl+A is still the About box.
        run.Frame().focusProxy()->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(run.Frame().focusProxy(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(ui.dialogTitles.size(), dialogs + 1);
    }

    // A large day font: the entry starts below the day number, with a
    // blank pixel row between them, at any scale.
    void dayNumbersStayAboveTheEntries()
    {
        const std::string group = test::WriteSalesGroup(m_home->Path().toStdString());
        registry::WriteText(Root::CurrentUser, settings::kSelected, test::Sjis("営業部"), "M001");
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "FontSize0", 200);
        test::ScriptedUi ui;
        Run run(group, ui);
        run.Frame().resize(700, 600);
        SetMonth(run.app, 2007, 12);
        const QImage grid = run.Grid();
        // The 20th (row 3 of 6, Thursday) has one entry.
        const qreal scale = grid.devicePixelRatio();
        const int w = int(grid.width() / scale) / 7;
        const int h = int((grid.height() / scale) - 22) / 6;
        const QRect cell(int((4 * w + 3) * scale), int((21 + 3 * h + 3) * scale), int((w - 6) * scale),
                         int((h - 6) * scale));
        auto inked = [&](int y) {
            for (int x = cell.left(); x <= cell.right(); ++x)
                if (QColor(grid.pixel(x, y)).lightness() < 128)
                    return true;
            return false;
        };
        int y = cell.top();
        while (y <= cell.bottom() && !inked(y))
            ++y; // above the number
        const int number = y;
        while (y <= cell.bottom() && inked(y))
            ++y;
        const int gap = y;
        while (y <= cell.bottom() && !inked(y))
            ++y;
        QVERIFY2(number < gap && gap < y && y <= cell.bottom(),
                 qPrintable(QStringLiteral("number at %1, gap at %2, entry at %3 of %4..%5")
                                .arg(number)
                                .arg(gap)
                                .arg(y)
                                .arg(cell.top())
                                .arg(cell.bottom())));
    }

private:
    std::unique_ptr<test::IsolatedHome> m_home;
};

QTEST_MAIN(DailyUseTest)
#include "DailyUseTest.moc"
