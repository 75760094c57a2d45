// The group week window on the real program and view library, offscreen,
// driven by keys and clicks.
#include "ShellTestSupport.h"
#include "common/Mnemonics.h"

#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"
#include "program/shell/CGroupWeekModel.h"
#include "program/shell/CGroupWeekWindow.h"
#include "program/shell/CMainFrame.h"
#include "program/shell/CSelectBar.h"
#include "program/shell/CShellApp.h"
#include "program/shellcore/CFileChangeTracker.h"
#include "support/OleDate.h"
#include "support/registry/Registry.h"
#include "support/settings/SettingsTable.h"

#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QtTest>

using namespace mirovan;
using namespace mirovan::shell;
using registry::Root;

namespace {

constexpr int kBound = 30000;

struct Run {
    Run(const std::string& line, test::ScriptedUi& ui)
        : app(CShellApp::Options{{}, &ui, false, std::chrono::milliseconds(200)})
    {
        started = app.Startup(line);
        const DateValue d{ToOleDate(2007, 12, 1).value(), 0};
        app.View().SetMonth(d);
        app.Frame()->Bar().SetDate(d);
        app.View().SelectDay(5);
    }
    ~Run() { app.Shutdown(); }

    // Ctrl+Shift+G in the main window, as the user presses it.
    CGroupWeekWindow* Open()
    {
        QTest::keyClick(app.Frame()->Bar().YearEdit(), Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
        return app.Frame()->GroupWeek();
    }

    CShellApp app;
    bool started = false;
};

QString Cell(CGroupWeekWindow* w, int row, int column)
{
    return w->Model().data(w->Model().index(row, column), Qt::DisplayRole).toString();
}
QString Heading(CGroupWeekWindow* w, int column)
{
    return w->Model().headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}
QColor HeadingColour(CGroupWeekWindow* w, int column)
{
    return w->Model().headerData(column, Qt::Horizontal, Qt::BackgroundRole).value<QBrush>().color();
}
void Key(CGroupWeekWindow* w, Qt::Key key, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(w->Table(), key, mods); }

tillbrook::EntryRecord Entry(const char* owner, int day, int hour, int minute, int endHour, int endMinute,
                             const char* content)
{
    tillbrook::EntryRecord e;
    e.start = tillbrook::At(2007, 12, day, hour, minute);
    e.end = tillbrook::At(2007, 12, day, endHour, endMinute);
    e.content = test::Sjis(content);
    e.ownerCode = owner;
    return e;
}

} // namespace

class CGroupWeekWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<test::IsolatedHome>();
        m_group = test::WriteSalesGroup(m_home->Path().toStdString());
        registry::WriteText(Root::CurrentUser, settings::kSelected, test::Sjis("営業部"), "M001");
    }
    void cleanup() { m_home.reset(); }

    void everyButtonHasItsOwnKeyAndTheWindowReadsAsOne()
    {
        test::ScriptedUi ui;
        Run run(m_group, ui);
        CGroupWeekWindow* w = run.Open();
        QVERIFY(w);
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(w);
        QVERIFY(window);
        QCOMPARE(window->role(), QAccessible::Window);
        QVERIFY(window->text(QAccessible::Name).startsWith(QStringLiteral("グループ週間表示")));
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(w->Table());
        QVERIFY(table && table->tableInterface());
        QCOMPARE(table->tableInterface()->columnCount(), 8);
        const QStringList problems = test::MnemonicProblems(*w);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
        // The buttons take no focus, so their letters are the keyboard's way.
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        const auto first = w->Model().FirstDay();
        QTest::keyClick(w, Qt::Key_N, Qt::AltModifier);
        QTRY_VERIFY(!(w->Model().FirstDay() == first));
        QTest::keyClick(w, Qt::Key_P, Qt::AltModifier);
        QTRY_VERIFY(w->Model().FirstDay() == first);
    }

    void showsEveryonesWeekAndTheFreeTime()
    {
        test::ScriptedUi ui;
        Run run(m_group, ui);
        QVERIFY(run.started);
        CGroupWeekWindow* w = run.Open();
        QVERIFY(w && w->isVisible());
        QVERIFY(w->windowTitle().startsWith(QStringLiteral("グループ週間表示 - 営業部")));
        // The chosen member first, the hidden one left out, the free row last.
        QCOMPARE(w->Model().rowCount(), 3);
        QCOMPARE(w->Model().columnCount(), 8);
        QCOMPARE(Cell(w, 0, 0), QStringLiteral("佐藤 一郎"));
        QCOMPARE(Cell(w, 1, 0), QStringLiteral("鈴木 花子"));
        QCOMPARE(Cell(w, 2, 0), QStringLiteral("空き時間"));
        // The week holding the selected 5th, from Sunday.
        QCOMPARE(Heading(w, 1), QStringLiteral("12/2 (日)"));
        QCOMPARE(Heading(w, 4), QStringLiteral("12/5 (水)"));
        QCOMPARE(w->Table()->currentIndex(), w->Model().index(0, 4));
        QCOMPARE(HeadingColour(w, 1), QColor(255, 192, 192));
        QCOMPARE(HeadingColour(w, 7), QColor(192, 192, 255));
        QVERIFY(!w->Model().headerData(4, Qt::Horizontal, Qt::BackgroundRole).isValid());
        // The month view's lines, in its order, whole in the tooltip.
        QCOMPARE(Cell(w, 0, 4), QStringLiteral(" 8:30  朝礼\n 9:00  定例会議"));
        QCOMPARE(w->Model().data(w->Model().index(0, 4), Qt::ToolTipRole).toString(), Cell(w, 0, 4));
        // Each line drawn on a line of its own (the cells not selected).
        QTableView* table = w->Table();
        table->clearSelection();
        const int line = table->fontMetrics().lineSpacing();
        auto inked = [table, w](int row, int top, int bottom) {
            const QImage shot = table->viewport()->grab(table->visualRect(w->Model().index(row, 4))).toImage();
            for (int y = top; y < std::min(bottom, shot.height()); ++y)
                for (int x = 0; x < shot.width(); ++x)
                    if (qGray(shot.pixel(x, y)) < 128)
                        return true;
            return false;
        };
        QVERIFY(inked(0, 1, line));
        QVERIFY(inked(0, line + 2, 2 * line));
        QVERIFY(inked(1, 1, line));
        QVERIFY(!inked(1, line + 2, 3 * line));
        table->setCurrentIndex(w->Model().index(0, 4));
        QCOMPARE(Cell(w, 1, 4), QStringLiteral("10:00  顧客訪問"));
        QCOMPARE(Cell(w, 2, 4), QStringLiteral("11:00～18:00"));
        QCOMPARE(Cell(w, 2, 3), QStringLiteral("09:00～18:00"));

        // Untick 鈴木 with the keyboard: her visit no longer counts.
        w->Table()->setCurrentIndex(w->Model().index(1, 0));
        Key(w, Qt::Key_Space);
        QCOMPARE(w->Model().data(w->Model().index(1, 0), Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
        QCOMPARE(Cell(w, 2, 4), QStringLiteral("10:00～18:00"));
        // Working hours and the least length are edited above the grid and kept.
        w->LengthEdit()->setFocus();
        w->LengthEdit()->selectAll();
        QTest::keyClicks(w->LengthEdit(), QStringLiteral("480"));
        QCOMPARE(Cell(w, 2, 4), QStringLiteral("10:00～18:00"));
        QTest::keyClick(w->LengthEdit(), Qt::Key_Backspace);
        QTest::keyClicks(w->LengthEdit(), QStringLiteral("1"));
        QCOMPARE(Cell(w, 2, 4), QString());
        QCOMPARE(registry::ReadNumber(Root::CurrentUser, settings::kProperty, settings::kWeekLength.name, 0), 481u);

        // Ctrl+C: the visible week as tab-separated lines.
        w->Table()->setFocus();
        Key(w, Qt::Key_C, Qt::ControlModifier);
        const QStringList lines = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0).split(QLatin1Char('\t')).value(4), QStringLiteral("12/5 (水)"));
        QCOMPARE(lines.value(1).split(QLatin1Char('\t')).value(0), QStringLiteral("佐藤 一郎"));
        QVERIFY(QGuiApplication::clipboard()->text().contains(QStringLiteral("\t\" 8:30  朝礼\n 9:00  定例会議\"\t")));
        QVERIFY(ui.messages.empty());
    }

    void stepsWeeksAndOpensACellInTheMainWindow()
    {
        test::ScriptedUi ui;
        Run run(m_group, ui);
        CGroupWeekWindow* w = run.Open();
        QVERIFY(w);
        // F8 four times: the week of 30 December, reading January too.
        for (int i = 0; i < 4; ++i)
            Key(w, Qt::Key_F8);
        QCOMPARE(Heading(w, 1), QStringLiteral("12/30 (日)"));
        QCOMPARE(Heading(w, 3), QStringLiteral("1/1 (火)\n元日"));
        QCOMPARE(HeadingColour(w, 3), QColor(255, 192, 192));
        QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("nextWeek")), Qt::LeftButton);
        QCOMPARE(Cell(w, 0, 3), QStringLiteral(" 9:00  仕事始め"));
        Key(w, Qt::Key_F7);
        Key(w, Qt::Key_F7);
        QCOMPARE(Heading(w, 1), QStringLiteral("12/23 (日)\n天皇誕生日"));
        QCOMPARE(Heading(w, 2), QStringLiteral("12/24 (月)\n振替休日"));
        QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("previousWeek")), Qt::LeftButton);
        QCOMPARE(Heading(w, 1), QStringLiteral("12/16 (日)"));
        QCOMPARE(Cell(w, 0, 5), QStringLiteral("13:00  忘年会準備"));

        // Arrow keys to 鈴木's Thursday the 20th, then Enter: the main
        // window shows her month with that day selected.
        w->Table()->setFocus();
        w->Table()->setCurrentIndex(w->Model().index(0, 1));
        for (int i = 0; i < 4; ++i)
            Key(w, Qt::Key_Right);
        Key(w, Qt::Key_Down);
        QCOMPARE(w->Table()->currentIndex(), w->Model().index(1, 5));
        Key(w, Qt::Key_Return);
        QCOMPARE(run.app.Group().SelectedCode(), std::string("M002"));
        QCOMPARE(run.app.Frame()->Bar().MemberList()->currentIndex(), 2);
        QCOMPARE(run.app.View().SelectedDay()->Civil()->day, 20);
        QCOMPARE(run.app.DisplayedMonth().Civil()->month, 12);
        QVERIFY(w->isVisible());
        // She now leads the week.
        QCOMPARE(Cell(w, 0, 0), QStringLiteral("鈴木 花子"));

        // A double click on 佐藤's New Year's Day cell moves the main window on.
        Key(w, Qt::Key_F8);
        Key(w, Qt::Key_F8);
        QTableView* table = w->Table();
        const QRect cell = table->visualRect(w->Model().index(1, 3));
        // As the system delivers one: a click, then the second press as a double click.
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(run.app.Group().SelectedCode(), std::string("M001"));
        QCOMPARE(run.app.DisplayedMonth().Civil()->month, 1);
        QCOMPARE(run.app.View().SelectedDay()->Civil()->day, 1);
        QVERIFY(ui.messages.empty());
    }

    void rewrittenFileShowsWhileOpenAndThePlaceIsKept()
    {
        {
            test::ScriptedUi ui;
            Run run(m_group, ui);
            CGroupWeekWindow* w = run.Open();
            QVERIFY(w);
            QCOMPARE(Cell(w, 1, 4), QStringLiteral("10:00  顧客訪問"));
            QTest::qWait(2 * static_cast<int>(CFileChangeTracker::kSettleTime.count()));
            const std::string month = CScheduleMonth::MonthFilePath(m_group, 2007, 12);
            tillbrook::WriteFile(month, tillbrook::ScheduleFileBytes({Entry("M002", 5, 10, 0, 11, 0, "顧客訪問"),
                                                                      Entry("M002", 5, 13, 0, 13, 0, "来客"),
                                                                      Entry("M001", 7, 22, 0, 1, 0, "夜間作業")}));
            QTRY_COMPARE_WITH_TIMEOUT(Cell(w, 1, 4), QStringLiteral("10:00  顧客訪問\n13:00  来客"), kBound);
            // An entry of no length takes an hour; a night shift the rest of its day.
            QCOMPARE(Cell(w, 2, 4), QStringLiteral("09:00～10:00\n11:00～13:00\n14:00～18:00"));
            QCOMPARE(Cell(w, 0, 4), QString());
            QCOMPARE(Cell(w, 2, 6), QStringLiteral("09:00～18:00"));
            w->setGeometry(40, 60, 1010, 420);
            w->Table()->setColumnWidth(3, 211);
            w->close();
            QVERIFY(ui.messages.empty());
        }
        test::ScriptedUi ui;
        Run run(m_group, ui);
        CGroupWeekWindow* w = run.Open();
        QVERIFY(w);
        QCOMPARE(w->size(), QSize(1010, 420));
        QCOMPARE(w->Table()->columnWidth(3), 211);
    }

private:
    std::unique_ptr<test::IsolatedHome> m_home;
    std::string m_group;
};

QTEST_MAIN(CGroupWeekWindowTest)
#include "CGroupWeekWindowTest.moc"
