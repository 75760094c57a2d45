// The month view as a screen reader meets it: the table, its cells and
// headers, and the events that follow the selection and the month.
#include "common/IsolatedEnvironment.h"
#include "common/RecordingUi.h"
#include "common/TempDir.h"
#include "guisupport/ModalCursor.h"
#include "interface/MirovanView.h"
#include "support/Codepage.h"
#include "support/OleDate.h"
#include "viewlib/view/CMemoEdit.h"
#include "viewlib/view/CMonthView.h"

#include <QAccessible>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace mirovan;
using namespace mirovan::view;

namespace {

struct Heard {
    QAccessible::Event type;
    QAccessible::Role role;
    QString name;
};
std::vector<Heard> g_heard;

void Record(QAccessibleEvent* event)
{
    if (QAccessibleInterface* iface = event->accessibleInterface())
        g_heard.push_back({event->type(), iface->role(), iface->text(QAccessible::Name)});
}

// The 3rd of every month a holiday.
int32_t Holidays(int32_t, int32_t, int32_t day) { return day == 3 ? 1 : 0; }

// A name for the 3rd that is longer than any buffer, and none for others.
int32_t HolidayNames(int32_t, int32_t, int32_t day, char* name, int32_t size)
{
    if (day != 3)
        return 0;
    const std::string text = codepage::FromUtf8("創立記念日").value() + std::string(400, 'x');
    const size_t length = std::min(text.size(), static_cast<size_t>(size));
    std::memcpy(name, text.data(), length); // not terminated: the view must not read past it
    return static_cast<int32_t>(text.size());
}

DATEREC Month(int y, int m) { return DATEREC{*ToOleDate(y, m, 1), 0}; }

QString Name(QAccessibleInterface* iface) { return iface ? iface->text(QAccessible::Name) : QStringLiteral("(none)"); }

bool HeardFocusOn(const QString& name)
{
    for (const Heard& h : g_heard)
        if (h.type == QAccessible::Focus && h.role == QAccessible::Cell && h.name == name)
            return true;
    return false;
}

} // namespace

class MonthViewAccessibleTest : public QObject {
    Q_OBJECT

    test::TempDir m_home;
    test::IsolatedEnvironment m_environment{m_home.Path()};
    test::RecordingUi m_ui;
    QWidget* m_parent = nullptr;
    MVVIEW m_handle = nullptr;

    CMonthView& View() { return *reinterpret_cast<CMonthView*>(m_handle); }
    intptr_t Send(int32_t code, intptr_t p1 = 0, intptr_t p2 = 0) { return ParseCommand(m_handle, code, p1, p2); }
    QAccessibleInterface* Table() { return QAccessible::queryAccessibleInterface(&View()); }
    QPoint CellCentre(int index)
    {
        const GridRect& r = View().Grid().Cell(index).m_cellRect;
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    void ShowDecember2020()
    {
        DATEREC dec = Month(2020, 12); // the 1st a Tuesday: 29 and 30 November first
        Send(VC_SETMONTH, reinterpret_cast<intptr_t>(&dec));
        std::vector<std::vector<const char*>> lines(31);
        lines[1] = {"10:00  会議", "出張\t大阪", ""};
        std::vector<std::string> cp932;
        for (auto& l : lines)
            for (auto& s : l)
                s = cp932.emplace_back(codepage::FromUtf8(s).value()).c_str();
        std::vector<MVSTRINGLIST> lists;
        for (auto& l : lines)
            lists.push_back({static_cast<int32_t>(l.size()), l.data()});
        Send(VC_SETDAYTEXTS, reinterpret_cast<intptr_t>(lists.data()));
    }

private slots:
    void initTestCase()
    {
        QAccessible::installUpdateHandler(Record);
        // Events reach the handler only while a bridge is active: on the
        // accessibility bus, not on the offscreen platform.
        (void)QTest::qWaitFor([] { return QAccessible::isActive(); }, 2000);
    }

    void init()
    {
        g_heard.clear();
        m_parent = new QWidget;
        m_parent->resize(720, 560);
        m_handle = CreateMV(nullptr, m_parent, 0);
        QVERIFY(m_handle);
        View().SetUserInterface(&m_ui);
        MVRECT r{5, 5, 706, 526};
        Send(VC_MOVE, reinterpret_cast<intptr_t>(&r));
        HOLIDAYINFO info{Holidays, 0};
        Send(VC_SETHOLIDAYS, reinterpret_cast<intptr_t>(&info));
        m_parent->show();
        m_parent->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_parent));
    }

    void cleanup()
    {
        delete m_parent;
        m_parent = nullptr;
    }

    void tableOfWeeksWithDaysThatReadOut()
    {
        ShowDecember2020();
        QAccessibleInterface* table = Table();
        QVERIFY(table);
        QCOMPARE(table->role(), QAccessible::Table);
        QCOMPARE(table->text(QAccessible::Name), QStringLiteral("2020年12月"));
        QAccessibleTableInterface* grid = table->tableInterface();
        QVERIFY(grid);
        QCOMPARE(grid->columnCount(), 7);
        QCOMPARE(grid->rowCount(), 5);
        QCOMPARE(grid->columnDescription(3), QStringLiteral("水"));

        QCOMPARE(Name(grid->cellAt(0, 0)), QStringLiteral("11月29日(日)、前月の日"));
        QCOMPARE(Name(grid->cellAt(0, 3)), QStringLiteral("12月2日(水)、10:00  会議、出張 大阪"));
        QCOMPARE(Name(grid->cellAt(0, 4)), QStringLiteral("12月3日(木)、休日"));
        QCOMPARE(Name(grid->cellAt(4, 6)), QStringLiteral("1月2日(土)、翌月の日"));
        QCOMPARE(grid->cellAt(5, 0), nullptr);
        QCOMPARE(grid->cellAt(0, 7), nullptr);

        QAccessibleInterface* cell = grid->cellAt(0, 3);
        QCOMPARE(cell->role(), QAccessible::Cell);
        QAccessibleTableCellInterface* place = cell->tableCellInterface();
        QVERIFY(place);
        QCOMPARE(place->rowIndex(), 0);
        QCOMPARE(place->columnIndex(), 3);
        QCOMPARE(place->table(), table);
        const QList<QAccessibleInterface*> headers = place->columnHeaderCells();
        QCOMPARE(headers.size(), qsizetype{1});
        QCOMPARE(headers[0]->role(), QAccessible::ColumnHeader);
        QCOMPARE(Name(headers[0]), QStringLiteral("水"));

        // The tree a screen reader walks: headers first, then the cells.
        QCOMPARE(table->childCount(), 7 + 35);
        QCOMPARE(table->child(3), headers[0]);
        QCOMPARE(Name(table->child(0)), QStringLiteral("日"));
        QCOMPARE(table->child(7 + 3), cell);
        QCOMPARE(table->indexOfChild(cell), 7 + 3);
        QCOMPARE(cell->parent(), table);
        const QRect r = cell->rect();
        QCOMPARE(table->childAt(r.center().x(), r.center().y()), cell);
    }

    void holidaysSayTheNameTheProgramGives()
    {
        ShowDecember2020();
        QAccessibleTableInterface* grid = Table()->tableInterface();
        QCOMPARE(Send(VC_SETHOLIDAYNAMES, reinterpret_cast<intptr_t>(&HolidayNames)), intptr_t{0});
        const QString name = Name(grid->cellAt(0, 4));
        QVERIFY2(name.startsWith(QStringLiteral("12月3日(木)、創立記念日xx")), qPrintable(name));
        QVERIFY(name.size() < 140);
        // An ordinary day is not asked; without the function a holiday
        // still says it is one.
        QCOMPARE(Name(grid->cellAt(1, 4)), QStringLiteral("12月10日(木)"));
        Send(VC_SETHOLIDAYNAMES, 0);
        QCOMPARE(Name(grid->cellAt(0, 4)), QStringLiteral("12月3日(木)、休日"));
    }

    // Through the one modal runner, with its informative text too.
    void messageBoxesReadWhole()
    {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Mirovan"), QStringLiteral("保存できません。"),
                        QMessageBox::Ok, m_parent);
        box.setInformativeText(QStringLiteral("もう一度試しますか。"));
        QString heard;
        QTimer::singleShot(0, &box, [&] {
            heard = QAccessible::queryAccessibleInterface(&box)->text(QAccessible::Description);
            box.accept();
        });
        ExecModal(box);
        QCOMPARE(heard, QStringLiteral("保存できません。\nもう一度試しますか。"));
    }

    void selectionIsSelectedAndFocused()
    {
        ShowDecember2020();
        QAccessibleTableInterface* grid = Table()->tableInterface();
        QCOMPARE(grid->selectedCellCount(), 0);

        QTest::mouseClick(&View(), Qt::LeftButton, {}, CellCentre(3));
        QVERIFY(View().hasFocus());
        QAccessibleInterface* cell = grid->cellAt(0, 3);
        QVERIFY(cell->state().selected);
        QVERIFY(cell->state().focused);
        QVERIFY(!grid->cellAt(0, 4)->state().selected);
        QCOMPARE(grid->selectedCells(), QList<QAccessibleInterface*>{cell});
        QCOMPARE(Table()->focusChild(), cell);

        QTest::keyClick(&View(), Qt::Key_Right);
        QVERIFY(!cell->state().selected);
        QCOMPARE(Table()->focusChild(), grid->cellAt(0, 4));
        QVERIFY(grid->cellAt(0, 4)->state().focused);

        // A screen reader's "focus" on a cell selects it.
        grid->cellAt(2, 1)->actionInterface()->doAction(QAccessibleActionInterface::setFocusAction());
        QCOMPARE(View().Grid().SelectedIndex(), 15);

        Send(VC_NEXTMONTH);
        QCOMPARE(Table()->text(QAccessible::Name), QStringLiteral("2021年1月"));
        QCOMPARE(grid->rowCount(), 6);
        QCOMPARE(Table()->childCount(), 7 + 42);
        QCOMPARE(Name(grid->cellAt(0, 0)), QStringLiteral("12月27日(日)、前月の日"));
        QCOMPARE(Name(grid->cellAt(0, 5)), QStringLiteral("1月1日(金)"));
        QCOMPARE(grid->selectedCellCount(), 0); // the new month shows no selection
    }

    void selectionAndMonthAreHeard()
    {
        if (!QAccessible::isActive())
            QSKIP("no accessibility bridge on this platform");
        ShowDecember2020();
        QVERIFY(Table());
        QTest::mouseClick(&View(), Qt::LeftButton, {}, CellCentre(3));
        QTRY_VERIFY(HeardFocusOn(QStringLiteral("12月2日(水)、10:00  会議、出張 大阪")));
        QTest::keyClick(&View(), Qt::Key_Right);
        QTRY_VERIFY(HeardFocusOn(QStringLiteral("12月3日(木)、休日")));
        QTest::keyClick(&View(), Qt::Key_Up); // wraps to the last row
        QTRY_VERIFY(HeardFocusOn(QStringLiteral("12月31日(木)")));

        g_heard.clear();
        Send(VC_NEXTMONTH);
        QTRY_VERIFY(std::any_of(g_heard.begin(), g_heard.end(), [](const Heard& h) {
            return h.type == QAccessible::NameChanged && h.role == QAccessible::Table &&
                   h.name == QStringLiteral("2021年1月");
        }));
    }

    void memoEditorAndPersonalCells()
    {
        const std::string path = m_home.File("memo.mvp");
        Send(VC_SETPERSONALPATH, reinterpret_cast<intptr_t>(path.c_str()));
        ShowDecember2020();
        Send(VC_SETMODE, 0);
        Send(VC_SWITCHMODE, 0);
        m_ui.messages.clear();

        Send(VC_SELECTDAY, 5);
        Send(VC_EDITMEMO);
        QVERIFY(View().Editor());
        QAccessibleInterface* editor = QAccessible::queryAccessibleInterface(View().Editor());
        QCOMPARE(editor->role(), QAccessible::EditableText);
        QVERIFY(editor->state().editable);
        QCOMPARE(Name(editor), QStringLiteral("メモ 12月5日"));
        QAccessibleInterface* table = Table();
        QCOMPARE(table->child(table->childCount() - 1), editor);
        QCOMPARE(editor->parent(), table);

        View().Editor()->insertPlainText(QStringLiteral("歯医者"));
        QTest::keyClick(View().Editor(), Qt::Key_Return);
        QTest::keyClicks(View().Editor(), QStringLiteral("18:00"));
        QTest::keyClick(View().Editor(), Qt::Key_Escape);
        QVERIFY(!View().Editor());
        QCOMPARE(Name(table->tableInterface()->cellAt(0, 6)), QStringLiteral("12月5日(土)、歯医者、18:00"));
        QCOMPARE(table->childCount(), 7 + 35);
    }
};

QTEST_MAIN(MonthViewAccessibleTest)
#include "MonthViewAccessibleTest.moc"
