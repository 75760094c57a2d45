// The real program used with the keyboard alone: every step is a key
// pressed where the focus is, dialogs are answered with keys too.
#include "ShellTestSupport.h"

#include "program/groupdata/CGroup.h"
#include "program/shell/CGroupWeekModel.h"
#include "program/shell/CGroupWeekWindow.h"
#include "program/shell/CMainFrame.h"
#include "program/shell/CSelectBar.h"
#include "program/shell/CShellApp.h"
#include "support/OleDate.h"
#include "support/registry/Registry.h"
#include "support/settings/SettingsTable.h"

#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTableView>
#include <QtTest>

using namespace mirovan;
using namespace mirovan::shell;
using registry::Root;

namespace {

constexpr int kBound = 10000;

// A key on whatever has the focus, as the keyboard sends it.
void Press(QWidget& fallback, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : &fallback, key, modifiers);
}

// The offscreen platform has no window manager to hand the activation
// back when a dialog closes; this stands in for it.
bool BackTo(QWidget& window)
{
    if (!window.isActiveWindow())
        window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// Alt and the menu's letter, then the item's letter in the open menu.
bool ChooseFromMenu(QWidget& window, Qt::Key menu, Qt::Key item)
{
    if (!BackTo(window))
        return false;
    Press(window, menu, Qt::AltModifier);
    if (!QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }, kBound))
        return false;
    QTest::keyClick(QApplication::activePopupWidget(), item);
    return true;
}

// Answers the next modal window, once it is the active one, with keys.
class KeyAnswer {
public:
    explicit KeyAnswer(std::function<void(QWidget&)> keys) : m_keys(std::move(keys))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible())
                return;
            if (!modal->isActiveWindow()) {
                modal->activateWindow();
                return;
            }
            m_timer.stop();
            title = modal->windowTitle();
            m_keys(*modal);
            answered = true;
        });
        m_timer.start(10);
    }
    QString title;
    bool answered = false;

private:
    std::function<void(QWidget&)> m_keys;
    QTimer m_timer;
};

double Day(int year, int month, int day) { return ToOleDate(year, month, day).value(); }

} // namespace

class KeyboardWalkTest : public QObject {
    Q_OBJECT

private slots:
    void init() { m_home = std::make_unique<test::IsolatedHome>(); }
    void cleanup() { m_home.reset(); }

    void everyTaskByKeys()
    {
        const std::string group = test::WriteSalesGroup(m_home->Path().toStdString());
        registry::WriteText(Root::CurrentUser, settings::kProperty, "Personal", m_home->File("mine.mvp"));
        const QString ics = m_home->Path() + QStringLiteral("/mine.ics");
        test::ScriptedUi ui;
        // Dialogs run modally, as the program runs them, and answer keys.
        ui.onDialog = [](QDialog& dialog) { return dialog.exec(); };
        CShellApp app(CShellApp::Options{{}, &ui});
        {
            KeyAnswer firstStart([](QWidget& w) { QTest::keyClick(&w, Qt::Key_Return); });
            QVERIFY(app.Startup(""));
        }
        CMainFrame& frame = *app.Frame();
        CSelectBar& bar = frame.Bar();
        frame.show();
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));

        // Open a group: Ctrl+G, the file dialog answered.
        ui.files.push_back(QString::fromStdString(group));
        Press(frame, Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(app.Group().Path(), group);

        // Pick a member: the list's letter, then the arrow keys.
        Press(frame, Qt::Key_M, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), bar.MemberList());
        Press(frame, Qt::Key_Down);
        QCOMPARE(bar.MemberList()->currentIndex(), 1);

        // The year by Tab and typing, the month by Tab and End, then F8/F7.
        auto month = [&app] { return app.View().Month().value_or(DateValue{}).date; };
        Press(frame, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), bar.YearEdit());
        Press(frame, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("2007"));
        Press(frame, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), bar.MonthList());
        Press(frame, Qt::Key_End);
        QCOMPARE(month(), Day(2007, 12, 1));
        Press(frame, Qt::Key_F8);
        QCOMPARE(month(), Day(2008, 1, 1));
        Press(frame, Qt::Key_F7);
        QCOMPARE(month(), Day(2007, 12, 1));

        // Tab goes round to the calendar; arrows walk to the 5th.
        QWidget* grid = frame.focusProxy();
        for (int i = 0; i < 20 && QApplication::focusWidget() != grid; ++i)
            Press(frame, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), grid);
        const double fifth = Day(2007, 12, 5);
        auto selected = [&app] { return app.View().SelectedDay().value_or(DateValue{}).date; };
        for (int i = 0; i < 40 && selected() != fifth; ++i) {
            const double ahead = selected() - fifth;
            Press(frame, ahead >= 7    ? Qt::Key_Up
                         : ahead <= -7 ? Qt::Key_Down
                         : ahead > 0   ? Qt::Key_Left
                                       : Qt::Key_Right);
        }
        QCOMPARE(selected(), fifth);

        // The day list on Enter; its copy key, then Escape.
        QApplication::clipboard()->clear();
        {
            KeyAnswer list([](QWidget& w) {
                QTest::keyClick(&w, Qt::Key_C, Qt::AltModifier);
                // A button's letter clicks it a moment later, as a press shows.
                (void)QTest::qWaitFor([] { return !QApplication::clipboard()->text().isEmpty(); }, kBound);
                QTest::keyClick(&w, Qt::Key_Escape);
            });
            Press(frame, Qt::Key_Return);
            QVERIFY(list.answered);
        }
        QVERIFY2(QApplication::clipboard()->text().contains(QStringLiteral("定例会議")),
                 qPrintable(QApplication::clipboard()->text()));

        // Personal mode from the menu (the new memo file's notice read
        // and closed), a memo typed, then back to the group.
        {
            KeyAnswer notice([](QWidget& w) { QTest::keyClick(&w, Qt::Key_Return); });
            QVERIFY(ChooseFromMenu(frame, Qt::Key_V, Qt::Key_K));
            QTRY_VERIFY(!app.IsScheduleMode());
        }
        QVERIFY(BackTo(frame));
        QTRY_COMPARE(QApplication::focusWidget(), grid);
        Press(frame, Qt::Key_Return);
        QTRY_VERIFY(qobject_cast<QPlainTextEdit*>(QApplication::focusWidget()));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("lunch"));
        Press(frame, Qt::Key_Escape);
        QTRY_COMPARE(QApplication::focusWidget(), grid);
        QAccessibleInterface* cell = QAccessible::queryAccessibleInterface(grid)->focusChild();
        QVERIFY(cell);
        QCOMPARE(cell->text(QAccessible::Name), QStringLiteral("12月5日(水)、lunch"));
        QVERIFY(ChooseFromMenu(frame, Qt::Key_V, Qt::Key_G));
        QTRY_VERIFY(app.IsScheduleMode());

        // Export under ファイル, its file dialog answered.
        ui.files.push_back(ics);
        QVERIFY(ChooseFromMenu(frame, Qt::Key_F, Qt::Key_E));
        QTRY_VERIFY(QFileInfo::exists(ics));

        // Options: a check box by its letter, OK by Enter.
        bool shown = false;
        {
            KeyAnswer options([&shown](QWidget& w) {
                auto* box = w.findChild<QCheckBox*>(QStringLiteral("c1022"));
                const bool before = box && box->isChecked();
                QTest::keyClick(&w, Qt::Key_E, Qt::AltModifier);
                shown = box && QTest::qWaitFor([&] { return box->isChecked() != before; }, kBound);
                QTest::keyClick(&w, Qt::Key_Return);
            });
            QVERIFY(ChooseFromMenu(frame, Qt::Key_V, Qt::Key_O));
            QVERIFY(options.answered);
        }
        QVERIFY(shown);
        QCOMPARE(ui.dialogTitles.back(), QStringLiteral("設定"));

        // Print: its key opens the print dialog, Escape cancels it.
        QVERIFY(BackTo(frame));
        {
            KeyAnswer print([](QWidget& w) { QTest::keyClick(&w, Qt::Key_Escape); });
            Press(frame, Qt::Key_P, Qt::ControlModifier);
            QVERIFY(print.answered);
            QVERIFY(!print.title.isEmpty());
        }
        QVERIFY(!QApplication::activeModalWidget());

        // The key list from ヘルプ, read and closed by Escape.
        {
            KeyAnswer keys([](QWidget& w) {
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &w, Qt::Key_Escape);
            });
            QVERIFY(ChooseFromMenu(frame, Qt::Key_H, Qt::Key_K));
            QTRY_VERIFY(keys.answered);
            QCOMPARE(keys.title, QStringLiteral("キー操作一覧"));
        }
        QTRY_VERIFY(!QApplication::activeModalWidget());

        // The group week: its key, a week on and back by F8/F7, the other
        // member's next day opened by Enter, the window closed by Escape.
        QVERIFY(BackTo(frame));
        Press(frame, Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
        CGroupWeekWindow* week = frame.GroupWeek();
        QVERIFY(week && week->isVisible());
        QVERIFY(BackTo(*week));
        QTRY_COMPARE(QApplication::focusWidget(), week->Table());
        const groupweek::Day first = week->Model().FirstDay();
        QCOMPARE(first, (groupweek::Day{2007, 12, 2}));
        Press(*week, Qt::Key_F8);
        QCOMPARE(week->Model().FirstDay(), (groupweek::Day{2007, 12, 9}));
        Press(*week, Qt::Key_F7);
        QCOMPARE(week->Model().FirstDay(), first);
        const int before = app.Group().SelectedIndex();
        Press(*week, Qt::Key_Down);
        Press(*week, Qt::Key_Right);
        const QModelIndex current = week->Table()->currentIndex();
        const int member = week->Model().MemberIndex(current.row());
        QVERIFY(member >= 0 && member != before);
        const std::optional<groupweek::Day> day = week->Model().DayOfColumn(current.column());
        QVERIFY(day);
        QCOMPARE(*day, (groupweek::Day{2007, 12, 6}));
        Press(*week, Qt::Key_Return);
        QCOMPARE(selected(), Day(day->year, day->month, day->day));
        QCOMPARE(app.Group().SelectedIndex(), member);
        QVERIFY(BackTo(*week));
        Press(*week, Qt::Key_Escape);
        QTRY_VERIFY(!week->isVisible());
        app.Shutdown();
    }

private:
    std::unique_ptr<test::IsolatedHome> m_home;
};

QTEST_MAIN(KeyboardWalkTest)
#include "KeyboardWalkTest.moc"
