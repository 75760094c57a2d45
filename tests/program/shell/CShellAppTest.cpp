// The real program objects with the real view library, offscreen, driven
// as a person would: keys, clicks and the answers to the dialogs.
#include "ShellTestSupport.h"
#include "common/Mnemonics.h"

#include "guisupport/QtText.h"

#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleEntry.h"
#include "program/groupdata/CScheduleMonth.h"
#include "program/shell/CMainFrame.h"
#include "program/shell/COptionPage0.h"
#include "program/shell/CSelectBar.h"
#include "program/shell/CShellApp.h"
#include "program/shell/CommandIds.h"
#include "program/shell/EndSignalWatch.h"
#include "program/shell/ShellResources.h"
#include "program/shellcore/Settings.h"
#include "support/platform/Platform.h"
#include "support/registry/Registry.h"
#include "support/settings/SettingsTable.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace mirovan;
using namespace mirovan::shell;
using registry::Root;

namespace {

uint32_t Number(const char* name, uint32_t absent = 0xDEADBEEF)
{
    return registry::ReadNumber(Root::CurrentUser, settings::kProperty, name, absent);
}

std::string Text(const char* name)
{
    return registry::ReadText(Root::CurrentUser, settings::kProperty, name, "<absent>");
}

// An empty text reads like a missing one; the hive file tells them apart.
bool Present(const char* name)
{
    std::ifstream in(registry::HivePath(Root::CurrentUser));
    const std::string hive((std::istreambuf_iterator<char>(in)), {});
    const size_t section = hive.find("\\Mirovan\\Property]");
    return section != std::string::npos && hive.find("\n\"" + std::string(name) + "\"=", section) != std::string::npos;
}

void SetMonth(CShellApp& app, int year, int month)
{
    const DateValue d{ToOleDate(year, month, 1).value(), 0};
    app.View().SetMonth(d);
    app.Frame()->Bar().SetDate(d);
}

QString Shown(CShellApp& app)
{
    const auto m = app.DisplayedMonth().Civil();
    return m ? QStringLiteral("%1-%2").arg(m->year).arg(m->month) : QString();
}

// One run of the program: start-up with a command line, then shut down
// when the object goes.
struct Run {
    explicit Run(const std::string& line, test::ScriptedUi& ui, std::string library = {})
        : app(CShellApp::Options{std::move(library), &ui})
    {
        started = app.Startup(line);
    }
    ~Run() { app.Shutdown(); }
    CMainFrame& Frame() { return *app.Frame(); }
    CSelectBar& Bar() { return app.Frame()->Bar(); }

    CShellApp app;
    bool started = false;
};

// Answers the view's own message boxes while they are open: the question
// about memos not saved from a list of button texts (without an answer
// left: drop, noted as unexpected), every other box with OK, its text kept.
struct ViewDialogs {
    ViewDialogs()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            const QString text = box->text();
            if (box->objectName() != QLatin1String("failedSave")) {
                messages << text;
                box->accept();
                return;
            }
            questions << text;
            if (beforeAnswer)
                beforeAnswer();
            unexpected = unexpected || answers.isEmpty();
            const QString answer = answers.isEmpty() ? QStringLiteral("保存しない(&D)") : answers.takeFirst();
            for (QAbstractButton* button : box->buttons())
                if (button->text() == answer)
                    return button->click();
            unexpected = true;
            box->reject();
        });
        timer.start(5);
    }
    QTimer timer;
    QStringList answers;
    QStringList questions;
    QStringList messages;
    std::function<void()> beforeAnswer;
    bool unexpected = false;
};

std::string U32Bytes(uint32_t v)
{
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

// A personal file with one memo on a day of the current month.
std::string OneMemoFile(int day, const std::string& text)
{
    const QDate today = QDate::currentDate();
    return U32Bytes(1) + U32Bytes(uint32_t(today.year() * 100 + today.month())) +
           static_cast<char>(text.size() + day - 1) + std::string(size_t(day - 1), '\t') + text;
}

// Opens the memo editor on a day of the shown month; null when it did not open.
QPlainTextEdit* EditDay(Run& run, int day)
{
    run.app.View().SelectDay(day);
    run.Frame().activateWindow();
    if (!QTest::qWaitForWindowActive(&run.Frame()))
        return nullptr;
    QTest::keyClick(&run.Frame(), Qt::Key_Return);
    QPlainTextEdit* editor = run.Frame().findChild<QPlainTextEdit*>();
    return editor && editor->isVisible() && editor->hasFocus() ? editor : nullptr;
}

} // namespace

class CShellAppTest : public QObject {
    Q_OBJECT

    static void PathRows()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("ASCII") << "plain";
        QTest::newRow("Japanese") << "共有";
        QTest::newRow("blank") << "my share";
        QTest::newRow("accent") << "dàta";
        QTest::newRow("emoji") << "予定😀";
        QTest::newRow("trailing blank") << "folder ";
        QTest::newRow("symbolic link") << "link";
    }

    // The folder of a row in the temporary home; empty when it cannot be made.
    QString MakeFolder(const QString& folder)
    {
        const QString base = m_home->Path() + QLatin1Char('/') + folder;
        if (folder == QLatin1String("link")) {
            if (!QDir(m_home->Path()).mkdir(QStringLiteral("real 実体")) ||
                !QFile::link(m_home->Path() + QStringLiteral("/real 実体"), base))
                return {};
        } else if (!QDir(m_home->Path()).mkdir(folder)) {
            return {};
        }
        return base;
    }

private slots:
    void init() { m_home = std::make_unique<test::IsolatedHome>(); }
    void cleanup() { m_home.reset(); }

    void firstStartLeavesEverySetting()
    {
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "Weekend", 7);
        test::ScriptedUi ui;
        VIEWFONTS viewFonts{};
        {
            Run run("", ui);
            QVERIFY(run.started);
            viewFonts = run.app.View().Fonts().value();
            QCOMPARE(ui.dialogTitles, std::vector<QString>{QStringLiteral("初回起動メッセージ")});
            QCOMPARE(run.Frame().frameGeometry(), QRect(50, 50, 550, 350));
            QVERIFY(run.Frame().isVisible());
        }
        const QDate today = QDate::currentDate();
        QCOMPARE(Number("From"), uint32_t(today.year() * 10000 + today.month() * 100 + today.day()));
        // The fonts are the ones the view had last.
        QCOMPARE(Number("FontSize0"), uint32_t(viewFonts.FontSize0));
        QCOMPARE(Number("FontSize1"), uint32_t(viewFonts.FontSize1));
        QCOMPARE(Text("Font0"), std::string(viewFonts.Font0));
        QCOMPARE(Text("Font1"), std::string(viewFonts.Font1));
        QCOMPARE(Number("NoMemDC"), 0u);
        QCOMPARE(Number("EndTime"), 0u);
        QCOMPARE(Number("DefColor"), 8453888u);
        QCOMPARE(Number("Mode"), 1u);
        QVERIFY(Present("Group"));
        QCOMPARE(Text("Group"), std::string("<absent>"));
        QCOMPARE(Text("User"), platform::LoginName());
        QCOMPARE(Number("Random"), 1u);
        QCOMPARE(Number("Ver"), 220u);
        QCOMPARE(Number("Window"), 0u);
        QVERIFY(Present("Personal"));
        QCOMPARE(Text("Personal"), std::string("<absent>"));
        QVERIFY(!Present("Weekend") || Number("Weekend") == 7u);
        QCOMPARE(Number("Weekend"), 7u);

        // The next start is not a first one.
        test::ScriptedUi second;
        Run run("", second);
        QVERIFY(second.dialogTitles.empty());
        QCOMPARE(run.Frame().windowTitle(), QStringLiteral("Mirovan - %1年%2月").arg(today.year()).arg(today.month()));
    }

    void qtsOwnTextsSpeakJapanese()
    {
        test::ScriptedUi ui;
        Run run("", ui);
        QVERIFY(run.started);
        QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
    }

    void keysReachTheCalendarWithoutAClick()
    {
        test::ScriptedUi ui;
        Run run(test::WriteSalesGroup(m_home->Path().toStdString()), ui);
        QVERIFY(run.started);
        QVERIFY(QTest::qWaitForWindowActive(&run.Frame()));
        QWidget* view = QApplication::focusWidget();
        QVERIFY(view && view->window() == &run.Frame() && !run.Bar().isAncestorOf(view) && view != &run.Frame());
        run.app.View().SelectDay(10);
        QTest::keyClick(view, Qt::Key_Right);
        QCOMPARE(run.app.View().SelectedDay()->Civil()->day, 11);

        // Tab goes round the control bar and back to the calendar.
        run.Bar().MemberList()->setFocus(Qt::OtherFocusReason);
        for (int i = 0; i < 20 && QApplication::focusWidget() != view; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), view);
    }

    void everyBarControlHasANameAndTheButtonsTheirKeys()
    {
        test::ScriptedUi ui;
        Run run("", ui);
        QVERIFY(run.started);
        for (QWidget* w : run.Bar().findChildren<QWidget*>()) {
            if (w->focusPolicy() == Qt::NoFocus || qobject_cast<QLabel*>(w) || !w->isVisibleTo(&run.Bar()))
                continue;
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
            QVERIFY2(iface && !iface->text(QAccessible::Name).isEmpty(), qPrintable(w->objectName()));
        }
        QCOMPARE(run.Bar().Control(IDC_PREV)->toolTip(), QStringLiteral("前月 (F7)"));
        QCOMPARE(run.Bar().Control(IDC_NEXT)->toolTip(), QStringLiteral("翌月 (F8)"));
        QCOMPARE(run.Bar().Control(IDC_REFRESH)->toolTip(), QStringLiteral("最新の情報に更新 (F5)"));
        QCOMPARE(run.Bar().Control(IDC_PRINT)->toolTip(), QStringLiteral("印刷 (Ctrl+P)"));
        QCOMPARE(run.Bar().Control(IDC_THIS)->toolTip(), QStringLiteral("今月"));
        // The member list, the year and the month are labelled by their
        // labels, which a screen reader follows.
        const std::pair<QWidget*, QString> labelled[] = {{run.Bar().MemberList(), QStringLiteral("メンバー(M)：")},
                                                         {run.Bar().YearEdit(), QStringLiteral("年")},
                                                         {run.Bar().MonthList(), QStringLiteral("月")}};
        for (const auto& [field, name] : labelled) {
            const auto labels = QAccessible::queryAccessibleInterface(field)->relations(QAccessible::Label);
            QCOMPARE(labels.size(), qsizetype{1});
            QCOMPARE(labels[0].first->text(QAccessible::Name), name);
        }
        QVERIFY(test::ShowsEveryTextWhole(run.Bar()));
    }

    void commandLineOpensTheGroup_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("opened");
        QTest::newRow("group") << "$/sales.group" << true;
        QTest::newRow("quoted") << "\"$/sales.group\"" << true;
        QTest::newRow("upper-case extension") << "$/SALES.GROUP" << true;
        QTest::newRow("month file") << "$/sales200712.sch" << true;
        QTest::newRow("empty line, Group set") << "" << false;
        QTest::newRow("seven characters") << "a.group" << true;
        QTest::newRow("six characters") << ".group" << false;
    }

    void commandLineOpensTheGroup()
    {
        QFETCH(QString, line);
        QFETCH(bool, opened);
        const std::string folder = m_home->Path().toStdString();
        test::WriteSalesGroup(folder);
        test::WriteSalesGroup(folder, "SALES.GROUP");
        test::WriteSalesGroup(folder, "a.group");
        test::WriteSalesGroup(folder, ".group");
        registry::WriteText(Root::CurrentUser, settings::kProperty, "Group", folder + "/sales.group");
        QDir::setCurrent(m_home->Path());
        line.replace(QLatin1Char('$'), m_home->Path());

        test::ScriptedUi ui;
        Run run(line.toStdString(), ui);
        QVERIFY(run.started);
        QCOMPARE(run.app.Group().Name() == test::Sjis("営業部"), opened);
        QCOMPARE(run.Bar().MemberList()->count(), opened ? 4 : 1);
        if (opened) {
            QCOMPARE(run.Bar().MemberList()->itemText(3), QStringLiteral("??????[非表示属性のメンバ)"));
            // The month in a schedule file's name is not the month shown.
            QCOMPARE(Shown(run.app),
                     QStringLiteral("%1-%2").arg(QDate::currentDate().year()).arg(QDate::currentDate().month()));
        }
        QVERIFY(ui.messages.empty());
    }

    void launcherSelectsTheMember_data()
    {
        QTest::addColumn<QString>("tail");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("code");
        QTest::newRow("member code") << "/member:M002" << 2 << "M002";
        // Blanks after the code are part of it: no member has it, the
        // restored choice stays.
        QTest::newRow("blanks after the code") << "/member:M002  " << 1 << "M001";
        QTest::newRow("unknown code") << "/member:X" << 1 << "M001";
    }

    void launcherSelectsTheMember()
    {
        QFETCH(QString, tail);
        const std::string group = test::WriteSalesGroup(m_home->Path().toStdString());
        registry::WriteText(Root::CurrentUser, settings::kSelected, test::Sjis("営業部"), "M001");
        test::ScriptedUi ui;
        Run run("/bylink /file:\"" + group + "\" " + tail.toStdString(), ui);
        QTEST(run.Bar().MemberList()->currentIndex(), "entry");
        QTEST(QString::fromStdString(run.app.Group().SelectedCode()), "code");
    }

    void personalModeAtStartLoadsThePersonalFile()
    {
        const std::string group = test::WriteSalesGroup(m_home->Path().toStdString());
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "Mode", 0);
        registry::WriteText(Root::CurrentUser, settings::kProperty, "Personal", m_home->File("mine.mvp"));
        test::ScriptedUi ui;
        auto notice = test::CloseNextModal(); // the view creates the missing file
        Run run(group, ui);
        QVERIFY(!run.app.IsScheduleMode());
        QVERIFY(run.app.Group().Name().empty());
        QCoreApplication::processEvents();
        QVERIFY(run.Bar().PersonalButton()->isChecked());
        QCOMPARE(static_cast<QLabel*>(run.Bar().Control(IDC_NAME_LABEL))->text(), QStringLiteral("ファイル："));
        QCOMPARE(static_cast<QLabel*>(run.Bar().Control(IDC_NAME))->text(), QStringLiteral("mine.mvp"));
        QVERIFY(!run.Bar().MemberList()->isEnabled());
    }

    void monthKeysCrossTheYearEnd()
    {
        const std::string group = test::WriteSalesGroup(m_home->Path().toStdString());
        test::ScriptedUi ui;
        Run run(group, ui);
        SetMonth(run.app, 2007, 12);
        QCOMPARE(run.Frame().windowTitle(), QStringLiteral("Mirovan - 2007年12月"));

        QTest::keyClick(&run.Frame(), Qt::Key_F8);
        QCOMPARE(Shown(run.app), QStringLiteral("2008-1"));
        QCOMPARE(run.Frame().windowTitle(), QStringLiteral("Mirovan - 2008年1月"));
        QCOMPARE(run.Bar().YearEdit()->text(), QStringLiteral("2008"));
        QCOMPARE(run.Bar().MonthList()->currentIndex(), 0);
        QVERIFY(QString::fromStdString(run.app.Month().Path()).endsWith(QStringLiteral("sales200801.sch")));

        QTest::keyClick(run.Bar().YearEdit(), Qt::Key_F7);
        QCOMPARE(Shown(run.app), QStringLiteral("2007-12"));
        QCOMPARE(run.Frame().windowTitle(), QStringLiteral("Mirovan - 2007年12月"));
        QCOMPARE(run.Bar().YearEdit()->text(), QStringLiteral("2007"));
        QCOMPARE(run.Bar().MonthList()->currentIndex(), 11);

        // The bar's buttons post the same commands.
        QTest::mouseClick(static_cast<QPushButton*>(run.Bar().Control(IDC_NEXT)), Qt::LeftButton);
        QCOMPARE(Shown(run.app), QStringLiteral("2007-12"));
        QCoreApplication::processEvents();
        QCOMPARE(Shown(run.app), QStringLiteral("2008-1"));
    }

    void acceleratorsReachTheirCommands()
    {
        const std::string group = test::WriteSalesGroup(m_home->Path().toStdString());
        test::ScriptedUi ui;
        Run run("", ui);
        ui.files.push_back(QString::fromStdString(group));
        QTest::keyClick(&run.Frame(), Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(run.app.Group().Name(), test::Sjis("営業部"));
        QCOMPARE(ui.fileRequests.back().filter, QStringLiteral("グループファイル (*.group);;全てのファイル (*)"));
        QVERIFY(!ui.fileRequests.back().save);
        QVERIFY(run.app.IsScheduleMode());

        QTest::keyClick(run.Bar().MemberList(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(ui.fileRequests.back().filter, QStringLiteral("Mirovanファイル (*.mvp);;全てのファイル (*)"));
        QTest::keyClick(&run.Frame(), Qt::Key_N, Qt::ControlModifier);
        QVERIFY(ui.fileRequests.back().save);
        QCOMPARE(ui.fileRequests.size(), size_t{3});
        // Cancelled dialogs change nothing.
        QVERIFY(run.app.IsScheduleMode());
        QVERIFY(run.app.CurrentPersonal().empty());

        const size_t dialogs = ui.dialogTitles.size(); // the first-start message came first
        QTest::keyClick(&run.Frame(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(ui.dialogTitles.size(), dialogs + 1);
        QCOMPARE(ui.dialogTitles.back(), QStringLiteral("バージョン情報"));
        // Escape in the bar neither closes it nor reaches a command.
        QTest::keyClick(run.Bar().YearEdit(), Qt::Key_Escape);
        QVERIFY(run.Bar().isVisible() && run.Frame().isVisible());
        QCOMPARE(ui.dialogTitles.size(), dialogs + 1);

        run.Frame().UpdateMenu();
        QCOMPARE(run.Frame().Action(ID_DAY_DETAILS)->text(), QStringLiteral("詳細リスト(&L)\tEnter"));
        QVERIFY(run.Frame().Action(ID_SHOW_GROUP)->isChecked());
        QVERIFY(!run.Frame().Action(ID_SHOW_PERSONAL)->isChecked());
    }

    void memberChoiceSurvivesRefreshAndRestart()
    {
        const std::string group = test::WriteSalesGroup(m_home->Path().toStdString());
        {
            test::ScriptedUi ui;
            Run run(group, ui);
            QComboBox* members = run.Bar().MemberList();
            QCOMPARE(members->currentIndex(), 0);
            members->setCurrentIndex(2);
            emit members->activated(2);
            QCOMPARE(run.app.Group().SelectedCode(), std::string("M002"));
            QCOMPARE(run.app.Group().SelectedIndex(), 1);

            QTest::keyClick(&run.Frame(), Qt::Key_F5);
            QCOMPARE(members->currentIndex(), 2);
            QCOMPARE(run.app.Group().SelectedCode(), std::string("M002"));

            // "(選択なし)" clears the choice.
            members->setCurrentIndex(0);
            emit members->activated(0);
            QCOMPARE(run.app.Group().SelectedIndex(), -1);
            QVERIFY(run.app.Group().SelectedCode().empty());
            members->setCurrentIndex(3);
            emit members->activated(3);
            QCOMPARE(run.app.Group().SelectedCode(), std::string("M099"));
        }
        test::ScriptedUi ui;
        Run run(group, ui);
        QCOMPARE(run.Bar().MemberList()->currentIndex(), 3);
        QCOMPARE(run.app.Group().SelectedCode(), std::string("M099"));
    }

    void yearTypedDigitByDigit()
    {
        test::ScriptedUi ui;
        Run run("", ui);
        SetMonth(run.app, 2010, 3);
        QLineEdit* year = run.Bar().YearEdit();
        year->selectAll();
        QTest::keyClick(year, Qt::Key_Backspace);
        for (const char* digits : {"2", "20", "200"}) {
            QTest::keyClick(year, digits[std::strlen(digits) - 1]);
            QCOMPARE(year->text(), QString::fromLatin1(digits));
            QCOMPARE(Shown(run.app), QStringLiteral("2010-3"));
        }
        QTest::keyClick(year, '7');
        QCOMPARE(Shown(run.app), QStringLiteral("2007-3"));
        QCOMPARE(run.Frame().windowTitle(), QStringLiteral("Mirovan - 2007年3月"));

        // A fifth digit, or a year outside 1600..2400, is undone.
        QTest::keyClick(year, '1');
        QCOMPARE(year->text(), QStringLiteral("2007"));
        year->selectAll();
        QTest::keyClicks(year, "1599");
        QCOMPARE(year->text(), QStringLiteral("159"));
        QCOMPARE(Shown(run.app), QStringLiteral("2007-3"));

        // The up-down control stops at the end of the range.
        year->selectAll();
        QTest::keyClicks(year, "2399");
        QCOMPARE(Shown(run.app), QStringLiteral("2399-3"));
        QTest::keyClick(year, Qt::Key_Up);
        QTest::keyClick(year, Qt::Key_Up);
        QCOMPARE(year->text(), QStringLiteral("2400"));
        QCOMPARE(Shown(run.app), QStringLiteral("2400-3"));

        // The same month chosen again sends nothing; another one does.
        QComboBox* month = run.Bar().MonthList();
        month->setCurrentIndex(2);
        QCOMPARE(Shown(run.app), QStringLiteral("2400-3"));
        month->setCurrentIndex(6);
        QCOMPARE(Shown(run.app), QStringLiteral("2400-7"));
    }

    void enterOpensTheDayListOrTheMemo()
    {
        const std::string group = test::WriteSalesGroup(m_home->Path().toStdString());
        registry::WriteText(Root::CurrentUser, settings::kSelected, test::Sjis("営業部"), "M001");
        registry::WriteText(Root::CurrentUser, settings::kProperty, "Personal", m_home->File("mine.mvp"));
        test::ScriptedUi ui;
        Run run(group, ui);
        SetMonth(run.app, 2007, 12);
        run.app.View().SelectDay(5);

        auto seen = test::CloseNextModal();
        QTest::keyClick(run.Bar().YearEdit(), Qt::Key_Return);
        QCOMPARE(seen->title, QStringLiteral("2007年12月5日のスケジュール"));
        QCOMPARE(seen->rows, 2);
        QVERIFY(run.Bar().isVisible());

        // A double click on a day posts the same command.
        seen = test::CloseNextModal();
        CShellApp::OnViewEvent(MV_EVENT_DBLCLICK, reinterpret_cast<void*>(intptr_t{-1}), nullptr);
        QVERIFY(seen->title.isEmpty());
        QTRY_COMPARE(seen->title, QStringLiteral("2007年12月5日のスケジュール"));
        CShellApp::OnViewEvent(MV_EVENT_DBLCLICK, reinterpret_cast<void*>(intptr_t{3}), nullptr);
        CShellApp::OnViewEvent(MV_EVENT_LBUTTONUP, reinterpret_cast<void*>(intptr_t{-1}), nullptr);
        QCoreApplication::processEvents();
        QVERIFY(!QApplication::activeModalWidget());

        auto notice = test::CloseNextModal(); // the view creates the missing file
        run.Frame().OnCommand(ID_SHOW_PERSONAL);
        QVERIFY(!run.app.IsScheduleMode());
        run.app.View().SelectDay(6);
        QTest::keyClick(&run.Frame(), Qt::Key_Return);
        auto* editor = run.Frame().findChild<QPlainTextEdit*>();
        QVERIFY(editor && editor->isVisible());
        run.Frame().UpdateMenu();
        QCOMPARE(run.Frame().Action(ID_DAY_DETAILS)->text(), QStringLiteral("メモの編集(&L)\tEnter"));
        QVERIFY(run.Frame().Action(ID_SHOW_PERSONAL)->isChecked());
    }

    // Each accelerator opens a modal dialog over the memo editor; the
    // dialog's own event loop must not pull the editor from under the key.
    void dialogsOverTheMemoEditorKeepTheMemo_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("about") << int(Qt::Key_A);
        QTest::newRow("print") << int(Qt::Key_P);
        QTest::newRow("open group") << int(Qt::Key_G);
        QTest::newRow("new personal") << int(Qt::Key_N);
        QTest::newRow("open personal") << int(Qt::Key_O);
    }
    void dialogsOverTheMemoEditorKeepTheMemo()
    {
        QFETCH(int, key);
        const std::string personal = m_home->File("mine.mvp");
        registry::WriteText(Root::CurrentUser, settings::kProperty, "Personal", personal);
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "From", 20070101);
        test::ScriptedUi ui;
        // Real modal loops in place of every dialog.
        ui.onDialog = [](QDialog& dialog) { return dialog.exec(); };
        ui.onChooseFile = [] {
            QDialog dialog;
            dialog.exec();
        };
        auto notice = test::CloseNextModal(); // the view creates the missing file
        Run run("", ui);
        run.Frame().OnCommand(ID_SHOW_PERSONAL);
        QVERIFY(!run.app.IsScheduleMode());
        run.app.View().SelectDay(6);
        run.Frame().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&run.Frame()));
        QTest::keyClick(&run.Frame(), Qt::Key_Return);
        QPointer<QPlainTextEdit> editor = run.Frame().findChild<QPlainTextEdit*>();
        QVERIFY(editor && editor->hasFocus());
        QTest::keyClicks(editor, QStringLiteral("memo"));

        // The dialog takes the activation, as under a window manager, and
        // is closed on the next turn of its loop.
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                if (QApplication::activeWindow() != modal)
                    modal->activateWindow();
                else
                    modal->close();
            }
        });
        closer.start(10);
        QTest::keyClick(editor, static_cast<Qt::Key>(key), Qt::ControlModifier);
        closer.stop();
        QVERIFY(!QApplication::activeModalWidget());
        run.app.Shutdown();
        QVERIFY(test::ReadFileBytes(personal).find("memo") != std::string::npos);
    }

    // At exit the view closes its editor, and a memo that the personal
    // file cannot hold is said while the frame's children are going: a
    // command posted to the frame must not run on it then.
    void messageAtExitRunsNoCommandOnTheHalfDestroyedFrame()
    {
        registry::WriteText(Root::CurrentUser, settings::kProperty, "Personal", m_home->File("mine.mvp"));
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "From", 20070101);
        test::ScriptedUi ui;
        auto notice = test::CloseNextModal(); // the view creates the missing file
        Run run("", ui);
        run.Frame().OnCommand(ID_SHOW_PERSONAL);
        run.app.View().SelectDay(6);
        run.app.View().EditMemo();
        QPointer<QPlainTextEdit> editor = run.Frame().findChild<QPlainTextEdit*>();
        QVERIFY(editor);
        editor->setPlainText(QStringLiteral("会議 \U0001F600"));
        QStringList said;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&said] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                said << box->text();
                box->accept();
            }
        });
        answer.start(0);
        run.Frame().PostCommand(ID_APP_ABOUT);
        run.app.Shutdown();
        answer.stop();
        QCOMPARE(said.size(), 1);
        QVERIFY(ui.dialogTitles.empty());
    }

    void backToSchedulesShowsTheDisplayedMonth()
    {
        const std::string group = test::WriteSalesGroup(m_home->Path().toStdString());
        registry::WriteText(Root::CurrentUser, settings::kSelected, test::Sjis("営業部"), "M001");
        registry::WriteText(Root::CurrentUser, settings::kProperty, "Personal", m_home->File("mine.mvp"));
        test::ScriptedUi ui;
        Run run(group, ui);
        SetMonth(run.app, 2007, 12);
        auto notice = test::CloseNextModal(); // the view creates the missing file
        QTest::mouseClick(run.Bar().PersonalButton(), Qt::LeftButton);
        QTRY_VERIFY(!run.app.IsScheduleMode());
        QTest::keyClick(&run.Frame(), Qt::Key_F8);
        QTest::mouseClick(run.Bar().PersonalButton(), Qt::LeftButton);
        QTRY_VERIFY(run.app.IsScheduleMode());
        QCOMPARE(Shown(run.app), QStringLiteral("2008-1"));

        // The 5th of January has nothing; December's 5th must not show.
        run.app.View().SelectDay(5);
        auto seen = test::CloseNextModal();
        QTest::keyClick(&run.Frame(), Qt::Key_Return);
        QCOMPARE(seen->title, QStringLiteral("2008年1月5日のスケジュール"));
        QCOMPARE(seen->rows, 0);
        run.app.View().SelectDay(8);
        seen = test::CloseNextModal();
        QTest::keyClick(&run.Frame(), Qt::Key_Return);
        QCOMPARE(seen->rows, 1);
    }

    void defaultPersonalFileOutlivesTheExit_data()
    {
        QTest::addColumn<QString>("dataFolder"); // below the home; empty for the test's own
        QTest::newRow("plain") << "";
        QTest::newRow("Japanese") << "データ";
    }

    // The view sets the default file once; its path comes back exactly at
    // the next start, with the memo typed the first time.
    void defaultPersonalFileOutlivesTheExit()
    {
        QFETCH(QString, dataFolder);
        if (!dataFolder.isEmpty())
            ::setenv("XDG_DATA_HOME", qttext::ToNativePath(m_home->Path() + "/" + dataFolder).c_str(), 1);
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "Mode", 0);
        test::ScriptedUi ui;
        QStringList shown;
        QTimer closer; // answers every message box of the view
        QObject::connect(&closer, &QTimer::timeout, [&shown] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                shown << modal->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text();
                modal->close();
            }
        });
        closer.start(0);
        {
            Run run("", ui);
            QVERIFY(!run.app.IsScheduleMode());
            run.app.View().SelectDay(6);
            run.app.View().EditMemo();
            auto* editor = run.Frame().findChild<QPlainTextEdit*>();
            QVERIFY(editor);
            editor->setPlainText(QStringLiteral("棚卸し"));
        }
        QVERIFY(shown.join(' ').contains(QStringLiteral("に設定します")));
        const std::string chosen = registry::ReadPath(Root::CurrentUser, settings::kProperty, settings::kPersonal.name);
        QCOMPARE(QString::fromStdString(chosen),
                 QString::fromStdString(platform::JoinPath(settings::DataFolder(), "calendar.mvp")));
        shown.clear();
        Run run("", ui);
        QVERIFY2(shown.isEmpty(), qPrintable(shown.join(' ')));
        QCOMPARE(registry::ReadPath(Root::CurrentUser, settings::kProperty, settings::kPersonal.name), chosen);
        run.app.View().SelectDay(6);
        run.app.View().EditMemo();
        auto* editor = run.Frame().findChild<QPlainTextEdit*>();
        QVERIFY(editor);
        QCOMPARE(editor->toPlainText(), QStringLiteral("棚卸し"));
    }

    // A personal file named on the command line (the file manager's
    // "open with") becomes the file in use, as the open command makes
    // it; the default in the settings stays as it was.
    void commandLineOpensAPersonalFile()
    {
        registry::WritePath(Root::CurrentUser, settings::kProperty, "Personal", m_home->File("default.mvp"));
        const QString path = m_home->Path() + QStringLiteral("/予定 表.mvp");
        QTimer closer; // the view's notice that it creates the missing file
        QObject::connect(&closer, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        closer.start(0);
        test::ScriptedUi ui;
        {
            Run run(JoinArguments({qttext::ToNativePath(path)}), ui);
            QVERIFY(!run.app.IsScheduleMode());
            QCOMPARE(qttext::FromNativePath(run.app.CurrentPersonal()), path);
            QTRY_VERIFY(run.Bar().PersonalButton()->isChecked());
            run.app.View().SelectDay(6);
            run.app.View().EditMemo();
            auto* editor = run.Frame().findChild<QPlainTextEdit*>();
            QVERIFY(editor);
            editor->setPlainText(QStringLiteral("棚卸し"));
        }
        QVERIFY(test::ReadFileBytes(qttext::ToNativePath(path)).size() > 4);
        QCOMPARE(registry::ReadPath(Root::CurrentUser, settings::kProperty, settings::kPersonal.name),
                 m_home->File("default.mvp"));

        // Named from its folder, as a shell passes it.
        const QString before = QDir::currentPath();
        QDir::setCurrent(m_home->Path());
        Run run(JoinArguments({"予定 表.mvp"}), ui);
        QDir::setCurrent(before);
        QCOMPARE(qttext::FromNativePath(run.app.CurrentPersonal()), path);
        run.app.View().SelectDay(6);
        run.app.View().EditMemo();
        auto* editor = run.Frame().findChild<QPlainTextEdit*>();
        QVERIFY(editor);
        QCOMPARE(editor->toPlainText(), QStringLiteral("棚卸し"));
    }

    void shortYearBoxKeepsMemberGridAndDayListTogether()
    {
        const std::string group = test::WriteSalesGroup(m_home->Path().toStdString());
        registry::WriteText(Root::CurrentUser, settings::kSelected, test::Sjis("営業部"), "M001");
        test::ScriptedUi ui;
        Run run(group, ui);
        QWidget* view = run.Frame().focusProxy();
        SetMonth(run.app, 2007, 12);
        // What the grid shows for each member, drawn the ordinary way.
        const QImage first = view->grab().toImage();
        run.Bar().SelectMember(2);
        const QImage second = view->grab().toImage();
        QVERIFY(first != second);
        run.Bar().SelectMember(1);

        QLineEdit* year = run.Bar().YearEdit();
        year->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(year, Qt::Key_End);
        QTest::keyClick(year, Qt::Key_Backspace);
        QTest::keyClick(year, Qt::Key_Backspace);
        QCOMPARE(year->text(), QStringLiteral("20"));
        // The grid must show it on screen, not only when asked to draw.
        int paints = 0;
        test::EventCounter counter(view, QEvent::Paint, paints);
        QComboBox* members = run.Bar().MemberList();
        members->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
        paints = 0;
        QTest::keyClick(members, Qt::Key_Down);
        QCOMPARE(members->currentIndex(), 2);
        QCOMPARE(run.app.Group().SelectedCode(), std::string("M002"));
        QCOMPARE(Shown(run.app), QStringLiteral("2007-12"));
        QTRY_VERIFY(paints > 0);
        QCOMPARE(view->grab().toImage(), second);

        run.app.View().SelectDay(5);
        auto seen = test::CloseNextModal();
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(seen->title, QStringLiteral("2007年12月5日のスケジュール"));
        QCOMPARE(seen->rows, 1); // M002's visit, not M001's two
        // Enter in the short year box lists the same day, on the same grid.
        const QImage selected = view->grab().toImage();
        seen = test::CloseNextModal();
        QTest::keyClick(year, Qt::Key_Return);
        QCOMPARE(seen->rows, 1);
        QCOMPARE(view->grab().toImage(), selected);
    }

    void monthChangeDuringTheLinkMessageLeavesTheWalkIntact()
    {
        using namespace tillbrook;
        const std::string group = test::WriteSalesGroup(m_home->Path().toStdString());
        std::vector<EntryRecord> entries;
        for (uint32_t i = 0; i < 6; ++i) {
            EntryRecord e;
            e.start = At(2007, 12, 3 + int(i), 9, 0);
            e.end = At(2007, 12, 3 + int(i), 10, 0);
            e.ownerCode = "M001";
            e.content = test::Sjis("会議");
            e.flags = i == 0 ? 0 : CScheduleEntry::kReplacement;
            e.link = i == 1 || i == 4 ? 99 : i == 0 ? 0 : i - 1; // two links outside the file
            entries.push_back(e);
        }
        WriteFile(group.substr(0, group.rfind('.')) + "200712.sch", ScheduleFileBytes(entries));
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "From", 20070101);

        CShellApp app(CShellApp::Options{});
        QVERIFY(app.Startup(group));
        SetMonth(app, 2008, 1);
        // Every message box is answered as soon as its loop runs.
        QStringList said;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&said] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                said << box->text();
                box->accept();
            }
        });
        answer.start(0);
        // A month change queued before the message runs inside its loop.
        QMetaObject::invokeMethod(
            app.Frame(), [&app] { SetMonth(app, 2008, 1); }, Qt::QueuedConnection);
        SetMonth(app, 2007, 12);
        QCOMPARE(said.size(), 2);
        QVERIFY2(said[0].contains(QStringLiteral("インデックス1の")), qPrintable(said.join("|")));
        QVERIFY2(said[1].contains(QStringLiteral("インデックス4の")), qPrintable(said.join("|")));
        QCOMPARE(Shown(app), QStringLiteral("2008-1"));
        QVERIFY(QString::fromStdString(app.Month().Path()).endsWith(QStringLiteral("sales200801.sch")));
        answer.stop();
        app.Shutdown();
    }

    // The memo typed just before quitting cannot be written: the question
    // comes over the window that is still shown, and nothing is dropped
    // unless the user says so.
    void aFailedSaveAtExitIsAskedOverTheWindow_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("savedIn"); // "mine", "other" or "" for nowhere
        QTest::newRow("go back") << QStringList{"キャンセル"} << false << "";
        QTest::newRow("retry, then drop") << QStringList{"再試行(&R)", "保存しない(&D)"} << true << "";
        QTest::newRow("elsewhere") << QStringList{"別のファイルに保存(&S)..."} << true << "other";
        QTest::newRow("retry after the cause is gone") << QStringList{"unlock", "再試行(&R)"} << true << "mine";
    }
    void aFailedSaveAtExitIsAskedOverTheWindow()
    {
        QFETCH(QStringList, answers);
        QFETCH(bool, closed);
        QFETCH(QString, savedIn);
        const QString folder = m_home->Path() + QStringLiteral("/メモ");
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/mine.mvp");
        const std::string personal = qttext::ToNativePath(path);
        const std::string other = m_home->File("other.mvp");
        registry::WritePath(Root::CurrentUser, settings::kProperty, "Personal", personal);
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "From", 20070101);
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "Mode", 0);
        const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;

        // Declared before the run, so that no question is left unanswered
        // even when a check fails: without an answer left, drop.
        QStringList texts;
        QString startFolder;
        bool overShownWindow = true;
        bool unexpected = false;
        CMainFrame* frame = nullptr;
        QTimer answerer;
        QObject::connect(&answerer, &QTimer::timeout, [&] {
            auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!modal)
                return;
            if (auto* files = qobject_cast<QFileDialog*>(modal)) {
                startFolder = files->directory().absolutePath();
                files->selectFile(qttext::FromNativePath(other));
                static_cast<QDialog*>(files)->accept();
                return;
            }
            if (modal->objectName() != QLatin1String("failedSave")) {
                // The notice that the missing file is created; a question
                // of another kind is ended with its drop button, if any.
                auto* box = qobject_cast<QMessageBox*>(modal);
                if (QAbstractButton* drop = box ? box->button(QMessageBox::Discard) : nullptr) {
                    unexpected = true;
                    return drop->click();
                }
                modal->reject();
                return;
            }
            overShownWindow = overShownWindow && frame && frame->isVisible() && modal->parentWidget() &&
                              modal->parentWidget()->window() == frame;
            if (answers.value(0) == QLatin1String("unlock")) {
                answers.removeFirst();
                QFile::setPermissions(path, readOnly | QFileDevice::WriteOwner);
            }
            texts << modal->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text();
            unexpected = unexpected || answers.isEmpty();
            const QString answer = answers.isEmpty() ? QStringLiteral("保存しない(&D)") : answers.takeFirst();
            for (QAbstractButton* button : static_cast<QMessageBox*>(modal)->buttons())
                if (button->text() == answer)
                    return button->click();
            unexpected = true;
            modal->reject();
        });
        answerer.start(5);

        test::ScriptedUi ui;
        Run run("", ui);
        frame = &run.Frame();
        QVERIFY(!run.app.IsScheduleMode());
        const std::string before = test::ReadFileBytes(personal);
        QCOMPARE(before, std::string(4, '\0'));
        run.app.View().SelectDay(6);
        run.Frame().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&run.Frame()));
        QTest::keyClick(&run.Frame(), Qt::Key_Return);
        QPlainTextEdit* editor = run.Frame().findChild<QPlainTextEdit*>();
        QVERIFY(editor && editor->hasFocus());
        QTest::keyClicks(editor, QStringLiteral("last memo")); // the editor stays open
        QVERIFY(QFile::setPermissions(path, readOnly));

        const bool wasClosed = run.Frame().close();
        QVERIFY(!unexpected);
        QVERIFY(answers.isEmpty());
        QVERIFY(overShownWindow);
        QVERIFY(!texts.isEmpty());
        for (const QString& text : texts) {
            QVERIFY(text.startsWith(QStringLiteral("エラーが発生しました。")));
            QVERIFY2(text.contains(path + QStringLiteral(" へのｱｸｾｽは拒否されました。")), qPrintable(text));
        }
        QCOMPARE(wasClosed, closed);
        QCOMPARE(run.Frame().isVisible(), !closed);
        if (savedIn == QLatin1String("other"))
            QCOMPARE(startFolder, folder);
        const std::string inMine = test::ReadFileBytes(personal);
        QCOMPARE(inMine.find("last memo") != std::string::npos, savedIn == QLatin1String("mine"));
        if (savedIn != QLatin1String("mine"))
            QCOMPARE(inMine, before);
        QCOMPARE(test::ReadFileBytes(other).find("last memo") != std::string::npos, savedIn == QLatin1String("other"));
        if (!closed) {
            // Still open, with the memo kept for a later save.
            QVERIFY(QFile::setPermissions(path, readOnly | QFileDevice::WriteOwner));
            run.app.Shutdown();
            QVERIFY(test::ReadFileBytes(personal).find("last memo") != std::string::npos);
        }
    }

    // The personal file's folder vanished while the program ran. Saved
    // elsewhere at the exit or at a re-read, the memos stay in use: the
    // dialog proposes the file's own name in the documents folder, the
    // message names the missing folder, and the setting follows the file.
    void theMemosSavedElsewhereStayTheFileInUse_data()
    {
        QTest::addColumn<bool>("byDefault");      // no stored setting: the default file
        QTest::addColumn<bool>("atExit");         // otherwise at a re-read (F5)
        QTest::addColumn<bool>("settingUnsaved"); // chosen in this run, not yet written
        QTest::newRow("stored, at exit") << false << true << false;
        QTest::newRow("default, at exit") << true << true << false;
        QTest::newRow("stored, at a re-read") << false << false << false;
        QTest::newRow("chosen in this run, at exit") << false << true << true;
    }
    void theMemosSavedElsewhereStayTheFileInUse()
    {
        QFETCH(bool, byDefault);
        QFETCH(bool, atExit);
        QFETCH(bool, settingUnsaved);
        const QString folder = byDefault ? qttext::FromNativePath(settings::DataFolder())
                                         : m_home->Path() + QStringLiteral("/共有/Tavric");
        const QString name = byDefault ? QStringLiteral("calendar.mvp") : QStringLiteral("mine.mvp");
        const QString documents = m_home->Path() + QStringLiteral("/Documents");
        QVERIFY(QDir().mkpath(folder) && QDir().mkpath(documents));
        const QString proposal = documents + QLatin1Char('/') + name;
        if (!byDefault)
            registry::WritePath(Root::CurrentUser, settings::kProperty, "Personal",
                                qttext::ToNativePath(folder + '/' + name));
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "From", 20070101);
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "Mode", 0);

        QStringList asked;
        QStringList told;
        QString proposed;
        QTimer answerer;
        QObject::connect(&answerer, &QTimer::timeout, [&] {
            auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (auto* files = qobject_cast<QFileDialog*>(modal)) {
                proposed = files->selectedFiles().value(0);
                static_cast<QDialog*>(files)->accept();
            } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                if (box->objectName() != QLatin1String("failedSave")) {
                    told << box->text();
                    return box->accept();
                }
                asked << box->text();
                for (QAbstractButton* button : box->buttons())
                    if (button->text() == QStringLiteral("別のファイルに保存(&S)...") && asked.size() == 1)
                        return button->click();
                box->reject(); // a second question: the save elsewhere failed
            }
        });
        answerer.start(5);
        {
            test::ScriptedUi ui;
            Run run("", ui);
            QVERIFY(!run.app.IsScheduleMode());
            if (byDefault || settingUnsaved) // the default in use, or the program's copy only
                registry::WritePath(Root::CurrentUser, settings::kProperty, "Personal", "");
            run.app.View().SelectDay(6);
            run.Frame().activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&run.Frame()));
            QTest::keyClick(&run.Frame(), Qt::Key_Return);
            QPlainTextEdit* editor = run.Frame().findChild<QPlainTextEdit*>();
            QVERIFY(editor);
            QTest::keyClicks(editor, QStringLiteral("kept memo"));
            QVERIFY(QDir(folder).removeRecursively());
            if (atExit) {
                QVERIFY(run.Frame().close());
            } else {
                run.Frame().OnCommand(ID_REFRESH);
            }
            QCOMPARE(asked.size(), 1);
            QVERIFY2(asked[0].contains(QStringLiteral("フォルダ「%1」がありません。").arg(folder)),
                     qPrintable(asked[0]));
            QCOMPARE(proposed, proposal);
            QCOMPARE(qttext::FromNativePath(run.app.CurrentPersonal()), proposal);
        }
        QVERIFY(test::ReadFileBytes(qttext::ToNativePath(proposal)).find("kept memo") != std::string::npos);
        QCOMPARE(qttext::FromNativePath(registry::ReadPath(Root::CurrentUser, settings::kProperty, "Personal")),
                 proposal);

        // The next start reads the file the memos went to, without a word.
        test::ScriptedUi ui;
        asked.clear();
        told.clear();
        Run again("", ui);
        QVERIFY(!again.app.IsScheduleMode());
        QCOMPARE(qttext::FromNativePath(again.app.CurrentPersonal()), proposal);
        QVERIFY(!QFileInfo::exists(folder));
        QVERIFY2(asked.isEmpty() && told.isEmpty() && ui.messages.empty(), qPrintable(told.join('|')));
        answerer.stop();
    }

    // After a save that failed, every step that reads a personal file asks
    // before the memo held only in memory could go.
    void aMemoNotSavedSurvivesEveryReread_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<bool>("moved"); // the step went on to the other file
        QTest::newRow("personal again") << int(ID_SHOW_PERSONAL) << QStringList{"キャンセル"} << false;
        QTest::newRow("refresh") << int(ID_REFRESH) << QStringList{"キャンセル"} << false;
        QTest::newRow("open another") << int(ID_OPEN_PERSONAL) << QStringList{"キャンセル"} << false;
        QTest::newRow("new file") << int(ID_NEW_PERSONAL) << QStringList{"キャンセル"} << false;
        QTest::newRow("open another, retry") << int(ID_OPEN_PERSONAL) << QStringList{"unlock", "再試行(&R)"} << true;
    }
    void aMemoNotSavedSurvivesEveryReread()
    {
        QFETCH(int, command);
        QFETCH(QStringList, answers);
        QFETCH(bool, moved);
        const std::string personal = m_home->File("mine.mvp");
        const std::string other = m_home->File("other.mvp");
        test::WriteFileBytes(personal, OneMemoFile(3, "old"));
        test::WriteFileBytes(other, OneMemoFile(4, "other"));
        registry::WritePath(Root::CurrentUser, settings::kProperty, "Personal", personal);
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "From", 20070101);
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "Mode", 0);
        const auto path = qttext::FromNativePath(personal);
        const auto readOnly = QFileDevice::ReadOwner;

        ViewDialogs dialogs;
        dialogs.beforeAnswer = [&] {
            if (dialogs.answers.value(0) == QLatin1String("unlock")) {
                dialogs.answers.removeFirst();
                QFile::setPermissions(path, readOnly | QFileDevice::WriteOwner);
            }
        };
        test::ScriptedUi ui;
        Run run("", ui);
        QVERIFY(!run.app.IsScheduleMode());
        QPlainTextEdit* editor = EditDay(run, 6);
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("kept memo"));
        QVERIFY(QFile::setPermissions(path, readOnly));
        // The month's save fails and says so; the memo is held in memory.
        run.Frame().OnCommand(ID_NEXT_MONTH);
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages[0].startsWith(QStringLiteral("エラーが発生しました。")));
        if (command == ID_SHOW_PERSONAL)
            run.Frame().OnCommand(ID_SHOW_GROUP);
        ui.files = {qttext::FromNativePath(command == ID_NEW_PERSONAL ? m_home->File("new.mvp") : other)};

        dialogs.answers = answers;
        run.Frame().OnCommand(command);
        QVERIFY(!dialogs.unexpected);
        QVERIFY(dialogs.answers.isEmpty());
        QVERIFY(!dialogs.questions.isEmpty());
        QCOMPARE(run.app.CurrentPersonal(), moved ? other : personal);
        QVERIFY(QFile::setPermissions(path, readOnly | QFileDevice::WriteOwner));
        run.app.Shutdown();
        QVERIFY(test::ReadFileBytes(personal).find("kept memo") != std::string::npos);
        QVERIFY(test::ReadFileBytes(personal).find("old") != std::string::npos);
        QCOMPARE(test::ReadFileBytes(other), OneMemoFile(4, "other"));
    }

    // A lock held elsewhere at the read: no memo can be typed over the
    // ones not shown until F5 reads the file.
    void aFailedReadKeepsTheMemosUneditableUntilRefreshed()
    {
        const std::string personal = m_home->File("mine.mvp");
        test::WriteFileBytes(personal, OneMemoFile(6, "on disk"));
        registry::WritePath(Root::CurrentUser, settings::kProperty, "Personal", personal);
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "From", 20070101);
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "Mode", 0);
        ViewDialogs dialogs;
        test::ScriptedUi ui;
        auto otherCopy = std::make_unique<platform::InputFile>(personal);
        QVERIFY(otherCopy->TryLockExclusive());
        Run run("", ui);
        QVERIFY(!run.app.IsScheduleMode());
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY2(dialogs.messages[0].contains(QStringLiteral("(F5)")), qPrintable(dialogs.messages[0]));

        QVERIFY(!EditDay(run, 6));
        QCOMPARE(dialogs.messages.size(), 2);
        QVERIFY2(dialogs.messages[1].contains(QStringLiteral("編集できません")), qPrintable(dialogs.messages[1]));

        otherCopy.reset();
        run.Frame().OnCommand(ID_REFRESH);
        QCOMPARE(dialogs.messages.size(), 2);
        QPlainTextEdit* editor = EditDay(run, 6);
        QVERIFY(editor);
        QCOMPARE(editor->toPlainText(), QStringLiteral("on disk"));
        QTest::keyClicks(editor, QStringLiteral(" and more"));
        run.app.Shutdown();
        QVERIFY(test::ReadFileBytes(personal).find("on disk and more") != std::string::npos);
    }

    // A memo still in the editor when the process is told to end: the
    // signal reaches the event loop and the usual shut-down saves it.
    void endSignalsSaveTheMemoBeingTyped_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void endSignalsSaveTheMemoBeingTyped()
    {
        QFETCH(int, signal);
        const std::string personal = m_home->File("mine.mvp");
        test::WriteFileBytes(personal, std::string(4, '\0'));
        registry::WritePath(Root::CurrentUser, settings::kProperty, "Personal", personal);
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "From", 20070101);
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "Mode", 0);
        test::ScriptedUi ui;
        Run run("", ui);
        const EndSignalWatch watch;
        QPlainTextEdit* editor = EditDay(run, 6);
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("typed before the signal"));
        QTimer::singleShot(0, [signal] { ::kill(::getpid(), signal); });
        QCOMPARE(QApplication::exec(), 128 + signal);
        QCOMPARE(watch.Signal(), signal);
        run.app.Shutdown();
        QVERIFY(test::ReadFileBytes(personal).find("typed before the signal") != std::string::npos);
    }

    // The real program ends on SIGTERM through its usual shut-down.
    void theProgramEndsNormallyOnSigterm()
    {
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "From", 20070101);
        QProcess program;
        program.start(QCoreApplication::applicationDirPath() + QStringLiteral("/Mirovan"), {});
        QVERIFY(program.waitForStarted(60000));
        // The window's place is written only by the shut-down.
        const std::string hive = registry::HivePath(Root::CurrentUser);
        QVERIFY(test::ReadFileBytes(hive).find("XPOS") == std::string::npos);
        // The start-up registers the program once its signals are watched.
        const std::string machine = registry::HivePath(Root::LocalMachine);
        QTRY_VERIFY_WITH_TIMEOUT(test::ReadFileBytes(machine).find("Mirovan.exe") != std::string::npos, 60000);
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 128 + SIGTERM);
        QVERIFY(test::ReadFileBytes(hive).find("XPOS") != std::string::npos);
    }

    // The session's commit request, and a process that ends without its
    // loop: the memos go to disk with no window shown, to a rescue file
    // when their own cannot be written.
    void memosAreSavedWithoutWindows()
    {
        const std::string personal = m_home->File("mine.mvp");
        test::WriteFileBytes(personal, std::string(4, '\0'));
        registry::WritePath(Root::CurrentUser, settings::kProperty, "Personal", personal);
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "From", 20070101);
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "Mode", 0);
        test::ScriptedUi ui;
        Run run("", ui);
        QPlainTextEdit* editor = EditDay(run, 6);
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("committed for the session"));
        QVERIFY(run.Frame().SaveForSession(false));
        QVERIFY(test::ReadFileBytes(personal).find("committed for the session") != std::string::npos);

        editor = EditDay(run, 7);
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("rescued"));
        QVERIFY(QFile::setPermissions(qttext::FromNativePath(personal), QFileDevice::ReadOwner));
        run.app.SaveMemosWithoutWindows();
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        const QDir data(QString::fromStdString(settings::DataFolder()));
        const QStringList rescued = data.entryList({QStringLiteral("memos-rescued-*.mvp")});
        QCOMPARE(rescued.size(), 1);
        const std::string bytes = test::ReadFileBytes(data.filePath(rescued[0]).toStdString());
        QVERIFY(bytes.find("rescued") != std::string::npos &&
                bytes.find("committed for the session") != std::string::npos);
        QVERIFY(
            QFile::setPermissions(qttext::FromNativePath(personal), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    }

    void personalFileQuestion_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("no") << false;
        QTest::newRow("yes") << true;
    }

    void personalFileQuestion()
    {
        QFETCH(bool, yes);
        test::ScriptedUi ui;
        ui.answers.push_back(yes);
        const QString chosen = m_home->Path() + QStringLiteral("/新しいデータ.mvp");
        ui.files.push_back(chosen);
        Run run("", ui);
        auto notice = test::CloseNextModal(); // the view creates the new file
        QTest::mouseClick(run.Bar().PersonalButton(), Qt::LeftButton);
        QVERIFY(run.Bar().PersonalButton()->isChecked());
        QCoreApplication::processEvents(); // the posted command
        QCoreApplication::processEvents(); // the posted button state
        QCOMPARE(ui.questions, std::vector<QString>{ResourceString(57396)});
        QCOMPARE(run.Bar().PersonalButton()->isChecked(), yes);
        QCOMPARE(run.app.IsScheduleMode(), !yes);
        if (yes) {
            QCOMPARE(ui.fileRequests.size(), size_t{1});
            QCOMPARE(ui.fileRequests[0].title, QStringLiteral("作成するファイルの名前を入力"));
            QCOMPARE(ui.fileRequests[0].proposedName, QStringLiteral("新しいデータ.mvp"));
            // Nothing chosen yet: the user's home, never the working folder.
            QCOMPARE(ui.fileRequests[0].folder, QString::fromStdString(platform::HomeFolder()));
            QVERIFY(QFileInfo::exists(chosen));
            QCOMPARE(QString::fromStdString(run.app.Settings().personal), chosen);
            QCOMPARE(static_cast<QLabel*>(run.Bar().Control(IDC_NAME))->text(), QStringLiteral("新しいデータ.mvp"));
            // Releasing the button goes back to the schedules.
            QTest::mouseClick(run.Bar().PersonalButton(), Qt::LeftButton);
            QCoreApplication::processEvents();
            QVERIFY(run.app.IsScheduleMode());
        } else {
            QVERIFY(ui.fileRequests.empty());
            QVERIFY(run.app.Settings().personal.empty());
        }
    }

    void pathsSurviveARestart_data() { PathRows(); }

    // Chosen through the dialogs, kept over an exit and opened again, with
    // the start folders and the messages naming the files as typed.
    void pathsSurviveARestart()
    {
        QFETCH(QString, folder);
        const QString base = MakeFolder(folder);
        QVERIFY(!base.isEmpty());
        const std::string nativeBase = qttext::ToNativePath(base);
        const std::string group = test::WriteSalesGroup(nativeBase, "営業 計画.group");
        const QString personal = base + QStringLiteral("/私の予定.mvp");
        {
            test::ScriptedUi ui;
            ui.answers.push_back(true);
            ui.files.push_back(personal);
            Run run(JoinArguments({group}), ui);
            QCOMPARE(run.app.Group().Name(), test::Sjis("営業部"));
            auto notice = test::CloseNextModal(); // the view creates the new file
            QTest::mouseClick(run.Bar().PersonalButton(), Qt::LeftButton);
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            QVERIFY(!run.app.IsScheduleMode());
            QVERIFY(QFileInfo::exists(personal));
            QVERIFY(ui.messages.empty());
        }
        QCOMPARE(registry::ReadPath(Root::CurrentUser, settings::kProperty, settings::kPersonal.name),
                 qttext::ToNativePath(personal));

        test::ScriptedUi ui;
        const QString missing = base + QStringLiteral("/無い.group");
        ui.files = {personal, QString::fromStdString(group), missing};
        Run run("", ui);
        QCOMPARE(run.app.Settings().personal, qttext::ToNativePath(personal));
        QCOMPARE(run.app.CurrentPersonal(), qttext::ToNativePath(personal));
        QVERIFY2(ui.messages.empty(), ui.messages.empty() ? "" : ui.messages.front().c_str());
        QTest::keyClick(&run.Frame(), Qt::Key_O, Qt::ControlModifier);
        QTest::keyClick(&run.Frame(), Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(run.app.Group().Name(), test::Sjis("営業部"));
        QTest::keyClick(&run.Frame(), Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(ui.fileRequests.size(), size_t{3});
        QCOMPARE(ui.fileRequests[0].folder, base); // the personal file's folder
        QCOMPARE(ui.fileRequests[2].folder, base); // the open group's folder
        // The message about the missing group names it as typed.
        QCOMPARE(ui.messages.size(), size_t{1});
        QVERIFY2(QString::fromStdString(ui.messages[0]).contains(missing), ui.messages[0].c_str());
    }

    void newAndTypedPersonalPathsSurviveARestart_data() { PathRows(); }

    // Ctrl+N and the options page's path field, over an exit and a restart.
    void newAndTypedPersonalPathsSurviveARestart()
    {
        QFETCH(QString, folder);
        const QString base = MakeFolder(folder);
        QVERIFY(!base.isEmpty());
        const QString made = base + QStringLiteral("/新しい データ😀.mvp");
        const QString typed = base + QStringLiteral("/私の予定 é.mvp");
        test::WriteFileBytes(qttext::ToNativePath(typed), std::string(4, '\0'));
        {
            test::ScriptedUi ui;
            ui.files.push_back(made);
            Run run("", ui);
            auto notice = test::CloseNextModal(); // the view creates the new file
            QTest::keyClick(&run.Frame(), Qt::Key_N, Qt::ControlModifier);
            QVERIFY(!run.app.IsScheduleMode());
            QCOMPARE(run.app.CurrentPersonal(), qttext::ToNativePath(made));
            QVERIFY(QFileInfo::exists(made));

            ui.onDialog = [&typed](QDialog& dialog) {
                auto* page = static_cast<COptionPage0*>(dialog.findChild<QWidget*>(QStringLiteral("COptionPage0")));
                auto* field = page ? qobject_cast<QLineEdit*>(page->Control(1038)) : nullptr;
                if (!field)
                    return -1;
                field->selectAll();
                QTest::keyClick(field, Qt::Key_Delete);
                // Typed as an input method commits it, the way the Japanese text arrives.
                QInputMethodEvent commit;
                commit.setCommitString(typed);
                QCoreApplication::sendEvent(field, &commit);
                dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
                return dialog.result();
            };
            run.Frame().OnCommand(ID_OPTIONS);
            QVERIFY2(ui.messages.empty(), ui.messages.empty() ? "" : ui.messages.front().c_str());
            run.Frame().OnCommand(ID_APP_EXIT);
        }
        QCOMPARE(registry::ReadPath(Root::CurrentUser, settings::kProperty, settings::kPersonal.name),
                 qttext::ToNativePath(typed));

        test::ScriptedUi ui;
        ui.files.push_back(made);
        Run run("", ui);
        QCOMPARE(run.app.Settings().personal, qttext::ToNativePath(typed));
        run.Frame().OnCommand(ID_SHOW_PERSONAL);
        QVERIFY(!run.app.IsScheduleMode());
        QCOMPARE(run.app.CurrentPersonal(), qttext::ToNativePath(typed));
        QTest::keyClick(&run.Frame(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(run.app.CurrentPersonal(), qttext::ToNativePath(made));
        QCOMPARE(ui.fileRequests.back().folder, base);
        QVERIFY2(ui.messages.empty(), ui.messages.empty() ? "" : ui.messages.front().c_str());
    }

    // A stored path whose bytes are no text passes the page unharmed.
    void optionsKeepAPathThatIsNoText()
    {
        const std::string stored = m_home->Path().toStdString() + "/\xFF\xFE予定.mvp";
        QVERIFY(registry::WritePath(Root::CurrentUser, settings::kProperty, settings::kPersonal.name, stored));
        test::ScriptedUi ui;
        Run run("", ui);
        ui.onDialog = [](QDialog& dialog) {
            dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            return dialog.result();
        };
        run.Frame().OnCommand(ID_OPTIONS);
        QCOMPARE(registry::ReadPath(Root::CurrentUser, settings::kProperty, settings::kPersonal.name), stored);
    }

    void optionsOkAndCancel()
    {
        registry::WriteText(Root::CurrentUser, settings::kProperty, "Font0", test::Sjis("ＭＳ Ｐゴシック"));
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "FontSize0", 110);
        test::ScriptedUi ui;
        QStringList shown;
        // Chooses a 10.5 point date font, ticks both boxes, then OK or Cancel.
        auto fill = [&shown](QDialog& dialog, bool ok) {
            auto* page = static_cast<COptionPage0*>(dialog.findChild<QWidget*>(QStringLiteral("COptionPage0")));
            if (!page)
                return -1;
            auto* dateText = static_cast<QLabel*>(page->Control(1010));
            shown << dateText->text();
            // The note under the group file is never cut: it scrolls whole.
            // It names what works on this system, no shortcut's properties.
            auto* note = qobject_cast<QPlainTextEdit*>(page->Control(-4));
            if (!note || !note->isReadOnly() ||
                !note->toPlainText().contains(QStringLiteral("「Mirovan ファイル名」")) ||
                !note->toPlainText().endsWith(QStringLiteral(".groupファイルを開いて下さい。")) ||
                note->toPlainText().contains(QStringLiteral("プロパティ")))
                return -2;
            if (!test::ShowsEveryTextWhole(*page))
                return -3;
            QTest::mouseClick(static_cast<QPushButton*>(page->Control(1012)), Qt::LeftButton);
            shown << dateText->text();
            static_cast<QCheckBox*>(page->Control(1022))->setChecked(true);
            static_cast<QCheckBox*>(page->Control(1014))->setChecked(true);
            auto* buttons = dialog.findChild<QDialogButtonBox*>();
            buttons->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
            return dialog.result();
        };
        QFont chosen(QStringLiteral("IPAPGothic"));
        chosen.setPointSizeF(10.5);
        {
            Run run("", ui);
            // The page shows what the view uses, not what the registry says now.
            registry::WriteNumber(Root::CurrentUser, settings::kProperty, "FontSize0", 160);
            ui.fonts = {chosen, chosen};
            ui.onDialog = [&](QDialog& d) { return fill(d, false); };
            QVERIFY(!RunOptionsSheet(run.app, &run.Frame()));
            QCOMPARE(Number("EndTime"), 0xDEADBEEF);
            QCOMPARE(run.app.Settings().endTime, 0);
            QCOMPARE(run.app.Settings().noMemDC, 0);

            ui.onDialog = [&](QDialog& d) { return fill(d, true); };
            QVERIFY(RunOptionsSheet(run.app, &run.Frame()));
            QCOMPARE(ui.dialogTitles.back(), QStringLiteral("設定"));
            // The dialog starts on the face drawn; choosing it again keeps the stored name.
            QCOMPARE(shown,
                     QStringList({QStringLiteral("ＭＳ Ｐゴシック, 11pt"), QStringLiteral("ＭＳ Ｐゴシック, 10.5pt"),
                                  QStringLiteral("ＭＳ Ｐゴシック, 11pt"), QStringLiteral("ＭＳ Ｐゴシック, 10.5pt")}));
            QCOMPARE(ui.fontStarts.back().family(), QStringLiteral("IPAPGothic"));
            QCOMPARE(ui.fontStarts.back().pointSizeF(), 11.0);
            QCOMPARE(Number("EndTime"), 1u);
            QCOMPARE(Number("NoMemDC"), 1u);
            QCOMPARE(Number("FontSize0"), 105u);
            QCOMPARE(Text("Font0"), test::Sjis("ＭＳ Ｐゴシック"));
        }
        // The choice survives the frame taking the view's block back.
        QCOMPARE(Number("NoMemDC"), 1u);
        QCOMPARE(Number("FontSize0"), 105u);
        test::ScriptedUi second;
        Run run("", second);
        QCOMPARE(run.app.Settings().noMemDC, 1);
        QCOMPARE(run.app.Settings().endTime, 1);
    }

    void exitWhileMaximisedOrMinimised()
    {
        test::ScriptedUi ui;
        QRect outer;
        {
            Run run("", ui);
            run.Frame().setGeometry(120, 80, 500, 300);
            outer = run.Frame().frameGeometry(); // the stored rectangle has the frame
            run.Frame().OnCommand(ID_APP_EXIT);
        }
        const uint32_t xpos = uint32_t(outer.left()) << 16 | uint32_t(outer.left() + outer.width());
        const uint32_t ypos = uint32_t(outer.top()) << 16 | uint32_t(outer.top() + outer.height());
        QCOMPARE(Number("XPOS"), xpos);
        QCOMPARE(Number("YPOS"), ypos);
        QCOMPARE(Number("Window"), 0u);
        {
            Run run("", ui);
            QCOMPARE(run.Frame().frameGeometry(), outer);
            run.Frame().showMaximized();
            run.Frame().OnCommand(ID_APP_EXIT);
        }
        QCOMPARE(Number("Window"), 2u);
        QCOMPARE(Number("XPOS"), xpos);
        {
            Run run("", ui);
            QVERIFY(run.Frame().isMaximized());
            run.Frame().showNormal();
            run.Frame().showMinimized();
            run.Frame().close();
        }
        QCOMPARE(Number("Window"), 1u);
        QCOMPARE(Number("YPOS"), ypos);
        Run run("", ui);
        QVERIFY(!run.Frame().isMinimized() && !run.Frame().isMaximized());
        QCOMPARE(run.Frame().frameGeometry(), outer);
    }

    // Under a window manager the frame is known only after the window is
    // mapped; run this one with QT_QPA_PLATFORM=xcb too.
    void placementComesBackExactlyAtEveryStart()
    {
        test::ScriptedUi ui;
        QRect outer;
        {
            Run run("", ui);
            QVERIFY(QTest::qWaitForWindowExposed(&run.Frame()));
            run.Frame().setGeometry(140, 100, 520, 330);
            QTRY_VERIFY(run.Frame().frameGeometry() != run.Frame().geometry());
            outer = run.Frame().frameGeometry();
            run.Frame().OnCommand(ID_APP_EXIT);
        }
        for (const char* leftAs : {"normal", "normal", "maximised", "minimised", "normal"}) {
            Run run("", ui);
            QVERIFY(QTest::qWaitForWindowExposed(&run.Frame()));
            if (run.app.Settings().window == 2) {
                QTRY_VERIFY(run.Frame().isMaximized());
                run.Frame().showNormal();
            }
            QTRY_COMPARE(run.Frame().frameGeometry(), outer);
            if (std::strcmp(leftAs, "maximised") == 0) {
                run.Frame().showMaximized();
                QTRY_VERIFY(run.Frame().isMaximized());
            } else if (std::strcmp(leftAs, "minimised") == 0) {
                run.Frame().showMinimized();
            }
            run.Frame().OnCommand(ID_APP_EXIT);
        }
    }

    void changesAfterACancelledLogOffAreSavedAtExit()
    {
        test::ScriptedUi ui;
        QRect outer;
        {
            Run run("", ui);
            run.Frame().OnShutdownQuery();
            // The log-off was cancelled; the user goes on working.
            run.Frame().setGeometry(130, 90, 480, 320);
            outer = run.Frame().frameGeometry();
            registry::WriteNumber(Root::CurrentUser, settings::kProperty, "FontSize0", 125);
            run.app.View().ReloadSavedFonts();
            run.app.View().SetMode(0);
            run.Frame().OnCommand(ID_APP_EXIT);
        }
        QCOMPARE(Number("FontSize0"), 125u);
        QCOMPARE(Number("Mode"), 0u);
        QCOMPARE(Number("XPOS"), uint32_t(outer.left()) << 16 | uint32_t(outer.right() + 1));
    }

    void badFilesLeaveTheProgramUsable_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("message");
        QTest::newRow("missing group") << "missing.group" << true;
        QTest::newRow("a folder") << "folder.group" << true;
        QTest::newRow("truncated group") << "short.group" << true;
        QTest::newRow("damaged month file") << "sales.group" << false;
    }

    void badFilesLeaveTheProgramUsable()
    {
        QFETCH(QString, file);
        const std::string folder = m_home->Path().toStdString();
        const std::string good = test::WriteSalesGroup(folder);
        QDir(m_home->Path()).mkdir(QStringLiteral("folder.group"));
        {
            std::ifstream in(good, std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)), {});
            std::ofstream(folder + "/short.group", std::ios::binary) << bytes.substr(0, bytes.size() / 2);
        }
        std::ofstream(folder + "/sales200801.sch", std::ios::binary) << std::string("\x05\0\0\0garbage", 11);
        registry::WriteText(Root::CurrentUser, settings::kSelected, test::Sjis("営業部"), "M001");

        test::ScriptedUi ui;
        Run run(folder + "/" + file.toStdString(), ui);
        QVERIFY(run.started);
        QFETCH(bool, message);
        QCOMPARE(!ui.messages.empty(), message);
        SetMonth(run.app, 2007, 12);
        QTest::keyClick(&run.Frame(), Qt::Key_F8);
        QCOMPARE(run.Frame().windowTitle(), QStringLiteral("Mirovan - 2008年1月"));
        QTest::keyClick(&run.Frame(), Qt::Key_F5);
        QTest::keyClick(&run.Frame(), Qt::Key_F7);
        QCOMPARE(run.Frame().windowTitle(), QStringLiteral("Mirovan - 2007年12月"));
    }

    void calendarExportWritesTheShownMonths()
    {
        const std::string group = test::WriteSalesGroup(m_home->Path().toStdString());
        registry::WriteText(Root::CurrentUser, settings::kSelected, test::Sjis("営業部"), "M001");
        test::ScriptedUi ui;
        const QString out = m_home->Path() + QStringLiteral("/out.ics");
        const QString nowhere = m_home->Path() + QStringLiteral("/no/such.ics");
        ui.files = {out, nowhere};
        Run run(group, ui);
        SetMonth(run.app, 2007, 12);

        // Between 印刷 and 終了 of the File menu, reached by its keys.
        QMenu* file = run.Frame().menuBar()->actions().front()->menu();
        QStringList items;
        for (QAction* a : file->actions())
            if (!a->isSeparator())
                items << a->text();
        const qsizetype at = items.indexOf(QStringLiteral("iCalendar形式で書き出し(&E)..."));
        QVERIFY(at > 0 && items[at - 1].startsWith(QStringLiteral("印刷")) &&
                items[at + 1] == QStringLiteral("終了(&X)"));
        run.Frame().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&run.Frame()));
        QTest::keyClick(&run.Frame(), Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(file->isVisible());
        QTest::keyClick(file, Qt::Key_E);
        QTRY_VERIFY(QFileInfo::exists(out));
        QCOMPARE(ui.fileRequests.back().folder, m_home->Path());
        QCOMPARE(ui.fileRequests.back().proposedName, QStringLiteral("sales200712.ics"));
        QVERIFY(ui.fileRequests.back().save);

        // The same bytes as the command line gives for those months.
        QProcess cli;
        cli.start(QCoreApplication::applicationDirPath() + QStringLiteral("/mirovan-export"),
                  {QStringLiteral("ics"), QString::fromStdString(group), QStringLiteral("--member"),
                   QStringLiteral("M001"), QStringLiteral("--from"), QStringLiteral("2007-12"),
                   QStringLiteral("--months"), QStringLiteral("3")});
        QVERIFY(cli.waitForFinished(60000));
        const QByteArray written = QByteArray::fromStdString(test::ReadFileBytes(out.toStdString()));
        QCOMPARE(cli.readAllStandardOutput(), written);
        QVERIFY(written.contains("SUMMARY:仕事始め") && written.contains("SUMMARY:朝礼"));
        QVERIFY(!written.contains("顧客訪問"));

        // A folder that does not exist: the message names the file.
        run.Frame().Action(ID_EXPORT_CALENDAR)->trigger();
        QCOMPARE(QString::fromStdString(ui.messages.back()),
                 QStringLiteral("ファイル「%1」が開けません。").arg(nowhere));
    }

    void calendarExportOfMemosHasTheOneBeingTyped()
    {
        const std::string personal = m_home->File("mine.mvp");
        registry::WriteText(Root::CurrentUser, settings::kProperty, "Personal", personal);
        test::ScriptedUi ui;
        const QString out = m_home->Path() + QStringLiteral("/memos.ics");
        ui.files = {out};
        auto notice = test::CloseNextModal(); // the view creates the missing file
        Run run("", ui);
        run.Frame().OnCommand(ID_SHOW_PERSONAL);
        QVERIFY(!run.app.IsScheduleMode());
        SetMonth(run.app, 2007, 3);
        run.app.View().SelectDay(6);
        run.Frame().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&run.Frame()));
        QTest::keyClick(&run.Frame(), Qt::Key_Return);
        QPointer<QPlainTextEdit> editor = run.Frame().findChild<QPlainTextEdit*>();
        QVERIFY(editor && editor->hasFocus());
        QTest::keyClicks(editor, QStringLiteral("dentist"));
        run.Frame().Action(ID_EXPORT_CALENDAR)->trigger();
        QCOMPARE(ui.fileRequests.back().proposedName, QStringLiteral("mine200703.ics"));
        const std::string written = test::ReadFileBytes(out.toStdString());
        QVERIFY(written.find("DTSTART;VALUE=DATE:20070306\r\n") != std::string::npos);
        QVERIFY(written.find("SUMMARY:dentist\r\n") != std::string::npos);
    }

    void garbageHiveStartsOnDefaults()
    {
        const QString hive = QString::fromStdString(registry::HivePath(Root::CurrentUser));
        QDir().mkpath(QFileInfo(hive).path());
        std::ofstream(hive.toStdString(), std::ios::binary) << "\x01\x02 not a hive [[[\n\"XPOS\"=dword:zz\n";
        test::ScriptedUi ui;
        bool shownOverTheWindow = false;
        ui.onMessage = [&] {
            CShellApp* app = CShellApp::Instance();
            shownOverTheWindow = app && app->Frame() && app->Frame()->isVisible();
        };
        Run run("", ui);
        QVERIFY(run.started);
        QCOMPARE(run.app.Settings().mode, 1);
        QCOMPARE(run.Frame().frameGeometry(), QRect(50, 50, 550, 350));
        // The user is told once, with the name of the copy kept aside.
        QStringList kept = QDir(QFileInfo(hive).path()).entryList({QStringLiteral("user.reg?*")}, QDir::Files);
        kept.removeAll(QStringLiteral("user.reg.lock"));
        QCOMPARE(kept.size(), 1);
        QCOMPARE(ui.messages.size(), size_t{1});
        const QString said = QString::fromStdString(ui.messages[0]);
        QVERIFY2(said.contains(QFileInfo(hive).path() + "/" + kept[0]), qPrintable(said));
        QVERIFY(shownOverTheWindow);
        ui.messages.clear();
        // Saving at exit repairs the file: the next start says nothing.
        run.app.Shutdown();
        Run again("", ui);
        QVERIFY(ui.messages.empty());
    }

    // A missing group file on the command line, and the view's own
    // message about a missing personal file, stand over the main window.
    void startupMessagesStandOverTheWindow()
    {
        test::ScriptedUi ui;
        bool shownOverTheWindow = false;
        ui.onMessage = [&] {
            CShellApp* app = CShellApp::Instance();
            shownOverTheWindow = app && app->Frame() && app->Frame()->isVisible();
        };
        {
            Run run(m_home->File("missing.group"), ui);
            QCOMPARE(ui.messages.size(), size_t{1});
            QVERIFY(shownOverTheWindow);
        }

        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "Mode", 0);
        registry::WriteText(Root::CurrentUser, settings::kProperty, "Personal", m_home->File("mine.mvp"));
        QStringList said;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            CShellApp* app = CShellApp::Instance();
            said << (app && app->Frame() && app->Frame()->isVisible() ? "visible: " : "hidden: ") + box->text();
            box->accept();
        });
        answer.start(0);
        Run personal("", ui);
        answer.stop();
        QCOMPARE(said.size(), 1);
        QVERIFY2(said[0].startsWith(QStringLiteral("visible: ")), qPrintable(said[0]));
    }

    void messagesNeverShowTheWaitCursor_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("message") << 0;
        QTest::newRow("question") << 1;
        QTest::newRow("file dialog") << 2;
    }

    // The wait cursor is held for an operation; a message it opens shows
    // the arrow, and the operation's cursor comes back afterwards.
    void messagesNeverShowTheWaitCursor()
    {
        QFETCH(int, kind);
        shell::QtShellUi ui;
        QWidget owner;
        owner.show();
        ui.SetOwner(&owner);
        std::optional<Qt::CursorShape> during;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            during = QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor;
            qobject_cast<QDialog*>(modal)->reject();
        });
        answer.start(0);
        ui.BeginWait();
        if (kind == 0)
            ui.ShowMessage("お知らせ", MessageIcon::Exclamation);
        else if (kind == 1)
            ui.AskYesNo(QStringLiteral("よろしいですか？"));
        else
            ui.ChooseFile(shell::FileDialogRequest{});
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        ui.EndWait();
        answer.stop();
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(during.has_value());
        QCOMPARE(*during, Qt::ArrowCursor);
    }

    void settingsThatCannotBeSavedAreToldAtExit_data()
    {
        QTest::addColumn<bool>("lockHeld");
        QTest::newRow("read-only file") << false;
        QTest::newRow("lock held by another copy") << true;
    }

    // The real dialogs: the message comes after the main window is gone,
    // and must be shown, not take the dead window as its parent.
    void settingsThatCannotBeSavedAreToldAtExit()
    {
        QFETCH(bool, lockHeld);
        const std::string group = test::WriteSalesGroup(m_home->Path().toStdString());
        registry::WritePath(Root::CurrentUser, settings::kProperty, "Group", group);
        registry::WriteNumber(Root::CurrentUser, settings::kProperty, "From", 20070101);
        const std::string hive = registry::HivePath(Root::CurrentUser);
        QStringList said;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&said] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                said << box->text();
                box->accept();
            }
        });
        answer.start(5);
        int lock = -1;
        {
            CShellApp app;
            QVERIFY(app.Startup(""));
            QVERIFY(app.Frame()->close());
            if (lockHeld) {
                lock = ::open((hive + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
                QVERIFY(lock >= 0 && ::flock(lock, LOCK_EX | LOCK_NB) == 0);
            } else {
                QVERIFY(::chmod(hive.c_str(), 0444) == 0);
            }
            app.Shutdown();
        }
        if (lock >= 0)
            ::close(lock);
        answer.stop();
        QCOMPARE(said.size(), 1);
        QVERIFY2(said[0].startsWith(QStringLiteral("設定ファイルに書き込めなかったため")), qPrintable(said[0]));
        QVERIFY(said[0].contains(qttext::FromNativePath(group)));
    }

    void brokenViewLibraryEndsWithoutAWindow_data()
    {
        QTest::addColumn<QString>("library");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "$/libMirovan.so"
                                 << "cannot load the view library";
        QTest::newRow("not a library") << "$/garbage.so"
                                       << "cannot load the view library";
        QTest::newRow("lacks the exports") << "libz.so.1"
                                           << "lacks the export CreateMV";
    }

    void brokenViewLibraryEndsWithoutAWindow()
    {
        QFETCH(QString, library);
        QFETCH(QString, reason);
        std::ofstream(m_home->File("garbage.so")) << "not an ELF file";
        library.replace(QLatin1Char('$'), m_home->Path());
        test::ScriptedUi ui;
        {
            Run run("", ui, library.toStdString());
            QVERIFY(!run.started);
            QVERIFY2(run.app.FailureReason().find(reason.toStdString()) != std::string::npos,
                     run.app.FailureReason().c_str());
            QVERIFY(!run.app.Frame());
            for (QWidget* w : QApplication::topLevelWidgets())
                QVERIFY(!w->isVisible());
        }
        QCOMPARE(Number("Ver"), 220u);
        QCOMPARE(Number("From"), 0xDEADBEEF);
    }

private:
    std::unique_ptr<test::IsolatedHome> m_home;
};

QTEST_MAIN(CShellAppTest)
#include "CShellAppTest.moc"
