// The month view driven through its commands, the mouse and the keyboard,
// painted offscreen and looked at pixel by pixel.
#include "viewlib/view/CMonthView.h"
#include "common/IsolatedEnvironment.h"
#include "common/RecordingUi.h"
#include "common/TempDir.h"
#include "interface/MirovanView.h"
#include "support/Codepage.h"
#include "support/OleDate.h"
#include "support/registry/Registry.h"
#include "viewlib/view/CMemoEdit.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <QWidget>
#include <vector>

using namespace mirovan;
using namespace mirovan::view;

namespace {

struct Event {
    int32_t code;
    intptr_t param;
    int x, y;
};
std::vector<Event> g_events;

int32_t RecordEvent(int32_t code, void* param, void*)
{
    Event e{code, reinterpret_cast<intptr_t>(param), 0, 0};
    if (code >= MV_EVENT_LBUTTONUP) {
        const auto* xy = static_cast<const int32_t*>(param);
        e.x = xy[0];
        e.y = xy[1];
        e.param = 0;
    }
    g_events.push_back(e);
    return 0;
}

// 2007: the 3rd of every month a holiday, the 7th of April a working day.
int32_t Holidays(int32_t, int32_t, int32_t day) { return day == 3 ? 1 : day == 7 ? 2 : 0; }

DATEREC Month(int y, int m) { return DATEREC{*ToOleDate(y, m, 1), 0}; }

} // namespace

class CMonthViewTest : public QObject {
    Q_OBJECT

    test::TempDir m_home;
    test::IsolatedEnvironment m_environment{m_home.Path()};
    test::RecordingUi m_ui;
    QWidget* m_parent = nullptr;
    MVVIEW m_handle = nullptr;

    CMonthView& View() { return *reinterpret_cast<CMonthView*>(m_handle); }
    intptr_t Send(int32_t code, intptr_t p1 = 0, intptr_t p2 = 0) { return ParseCommand(m_handle, code, p1, p2); }
    QPoint CellCentre(int index) const
    {
        const GridRect& r = const_cast<CMonthViewTest*>(this)->View().Grid().Cell(index).m_cellRect;
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2 + 10);
    }
    QImage Grab() { return View().grab().toImage(); }

private slots:
    void init()
    {
        g_events.clear();
        m_ui.messages.clear();
        m_parent = new QWidget;
        m_parent->resize(720, 560);
        m_handle = CreateMV(nullptr, m_parent, 0);
        QVERIFY(m_handle);
        View().SetUserInterface(&m_ui);
        MVRECT r{5, 5, 706, 526};
        Send(VC_MOVE, reinterpret_cast<intptr_t>(&r));
        Send(VC_RELOADFONTS);
        HOLIDAYINFO info{Holidays, 0};
        Send(VC_SETHOLIDAYS, reinterpret_cast<intptr_t>(&info));
        Send(VC_SETEVENTPROC, reinterpret_cast<intptr_t>(&RecordEvent), 0);
        m_parent->show();
    }

    void cleanup()
    {
        delete m_parent;
        m_parent = nullptr;
    }

    void commandTable()
    {
        QCOMPARE(Send(VC_GETVERSION), intptr_t{130});
        for (int32_t code : {22, 27, 32, 100, -1})
            QCOMPARE(Send(code), intptr_t{-1});
        DATEREC selected{};
        QCOMPARE(Send(VC_GETSELDATE, reinterpret_cast<intptr_t>(&selected)), intptr_t{-1});
        const auto* month = reinterpret_cast<const DATEREC*>(Send(VC_GETMONTH));
        QCOMPARE(month->date, 0.0);

        DATEREC dec = Month(2007, 12);
        Send(VC_SETMONTH, reinterpret_cast<intptr_t>(&dec));
        Send(VC_NEXTMONTH);
        QCOMPARE(month->date, *ToOleDate(2008, 1, 1));
        Send(VC_PREVMONTH);
        Send(VC_PREVMONTH);
        QCOMPARE(month->date, *ToOleDate(2007, 11, 1));
        QCOMPARE(Send(VC_GETMODE), intptr_t{1});
        Send(VC_SETMODE, 0);
        QCOMPARE(Send(VC_GETMODE), intptr_t{0});
        QCOMPARE(reinterpret_cast<const VIEWFONTS*>(Send(VC_GETFONTS))->FontSize0, 100);
        QCOMPARE(Send(VC_GETHWND), reinterpret_cast<intptr_t>(static_cast<QWidget*>(&View())));
        QCOMPARE(Send(VC_SHOW, 0), intptr_t{1});
        QCOMPARE(Send(VC_SHOW, 5), intptr_t{0});
    }

    void dayTextsAndSelection()
    {
        DATEREC feb = Month(2007, 2); // starts on a Thursday: four January cells first
        Send(VC_SETMONTH, reinterpret_cast<intptr_t>(&feb));
        std::vector<std::vector<const char*>> lines(28);
        lines[0] = {" 9:00  first", "10:00  second"};
        std::vector<MVSTRINGLIST> lists;
        for (auto& l : lines)
            lists.push_back({static_cast<int32_t>(l.size()), l.data()});
        Send(VC_SETDAYTEXTS, reinterpret_cast<intptr_t>(lists.data()));
        QCOMPARE(View().Grid().Cell(4).m_text, std::string(" 9:00  first\r\n10:00  second\r\n"));
        QCOMPARE(View().Grid().Cell(3).m_text, std::string());

        Send(VC_SELECTDAY, 28);
        DATEREC selected{};
        QCOMPARE(Send(VC_GETSELDATE, reinterpret_cast<intptr_t>(&selected)), intptr_t{0});
        QCOMPARE(selected.date, *ToOleDate(2007, 2, 28));
        Send(VC_SELECTDAY, 29); // no such day: nothing happens
        QCOMPARE(View().Grid().SelectedIndex(), 31);
    }

    void mouseAndKeys()
    {
        DATEREC feb = Month(2007, 2);
        Send(VC_SETMONTH, reinterpret_cast<intptr_t>(&feb));
        QTest::mouseClick(&View(), Qt::LeftButton, {}, CellCentre(34)); // 3 March
        QCOMPARE(View().Grid().SelectedIndex(), 34);
        QCOMPARE(g_events.size(), size_t{2});
        QCOMPARE(g_events[0].code, MV_EVENT_LBUTTONDOWN);
        QCOMPARE(g_events[1].code, MV_EVENT_LBUTTONUP);
        QCOMPARE(g_events[0].x, CellCentre(34).x());
        DATEREC selected{};
        Send(VC_GETSELDATE, reinterpret_cast<intptr_t>(&selected));
        QCOMPARE(selected.date, *ToOleDate(2007, 3, 3));

        g_events.clear();
        QTest::mouseClick(&View(), Qt::RightButton, {}, CellCentre(5));
        QCOMPARE(View().Grid().SelectedIndex(), 34); // a right click never moves it
        QCOMPARE(g_events.size(), size_t{2});
        QCOMPARE(g_events[0].code, MV_EVENT_RBUTTONDOWN);
        QCOMPARE(g_events[1].code, MV_EVENT_RBUTTONUP);

        g_events.clear();
        QTest::mouseClick(&View(), Qt::LeftButton, {}, QPoint(50, 10)); // header band
        QCOMPARE(View().Grid().SelectedIndex(), 34);
        QCOMPARE(g_events.size(), size_t{2});

        QTest::keyClick(&View(), Qt::Key_Right);
        QCOMPARE(View().Grid().SelectedIndex(), 0);
        QTest::keyClick(&View(), Qt::Key_Up);
        QCOMPARE(View().Grid().SelectedIndex(), 28);

        g_events.clear();
        QTest::mouseDClick(&View(), Qt::LeftButton, {}, CellCentre(34));
        QVERIFY(std::any_of(g_events.begin(), g_events.end(),
                            [](const Event& e) { return e.code == MV_EVENT_DBLCLICK && e.param == 34; }));
        g_events.clear();
        QTest::mouseDClick(&View(), Qt::LeftButton, {}, CellCentre(10));
        QVERIFY(std::any_of(g_events.begin(), g_events.end(),
                            [](const Event& e) { return e.code == MV_EVENT_DBLCLICK && e.param == -1; }));
        QVERIFY(!View().Editor());
    }

    void paintingShowsColoursAndBothPathsAgree()
    {
        DATEREC apr = Month(2007, 4); // starts on a Sunday
        Send(VC_SETMONTH, reinterpret_cast<intptr_t>(&apr));
        // Run again at QT_SCALE_FACTOR=2 (see tests/CMakeLists.txt).
        const QImage image = Grab();
        const qreal scale = image.devicePixelRatio();
        QCOMPARE(image.size(), (QSizeF(View().size()) * scale).toSize());
        auto at = [&](int x, int y) { return image.pixelColor((QPointF(x, y) * scale).toPoint()); };
        auto pixelOf = [&](int index) {
            const GridRect& r = View().Grid().Cell(index).m_cellRect;
            return at(r.right - 5, r.bottom - 5);
        };
        QCOMPARE(pixelOf(0), QColor(255, 192, 192));                     // Sunday
        QCOMPARE(pixelOf(2), QColor(255, 192, 192));                     // the 3rd: a holiday
        QCOMPARE(pixelOf(13), QColor(192, 192, 255));                    // Saturday the 14th
        QCOMPARE(pixelOf(6), View().palette().color(QPalette::Base));    // Saturday the 7th: a working day
        QCOMPARE(pixelOf(34), View().palette().color(QPalette::Button)); // 5 May: other month, not filled
        // Grid lines in grey at the column boundaries.
        const int w0 = View().Grid().Cell(0).m_cellRect.Width();
        QCOMPARE(at(w0, 100), QColor(128, 128, 128));

        View().SetDirectPainting(true);
        QCOMPARE(Grab(), image);
    }

    void memoEditorKeepsWhatWasTyped()
    {
        const std::string path = m_home.File("memo.mvp");
        Send(VC_SETPERSONALPATH, reinterpret_cast<intptr_t>(path.c_str()));
        DATEREC feb = Month(2007, 2);
        Send(VC_SETMONTH, reinterpret_cast<intptr_t>(&feb));
        Send(VC_SETMODE, 0);
        Send(VC_SWITCHMODE, 0); // missing file: message, empty file created
        QCOMPARE(m_ui.messages.size(), size_t{1});
        m_ui.messages.clear();

        const int index = View().Grid().IndexOfDay(5);
        QTest::mouseDClick(&View(), Qt::LeftButton, {}, CellCentre(index));
        QVERIFY(View().Editor());
        View().Editor()->insertPlainText(QStringLiteral("歯医者")); // typed through an input method
        QTest::keyClick(View().Editor(), Qt::Key_Return);
        QTest::keyClicks(View().Editor(), QStringLiteral("18:00"));
        QTest::keyClick(View().Editor(), Qt::Key_Escape);
        QVERIFY(!View().Editor());
        const std::string expected = codepage::FromUtf8("歯医者\r\n18:00").value();
        QCOMPARE(View().Grid().Cell(index).m_text, expected);

        // Reopening shows it; an emoji keeps the editor open and the text.
        Send(VC_SELECTDAY, 5);
        Send(VC_EDITMEMO);
        QVERIFY(View().Editor());
        QCOMPARE(View().Editor()->toPlainText(), QStringLiteral("歯医者\n18:00"));
        View().Editor()->insertPlainText(QStringLiteral("🎉"));
        QTest::keyClick(View().Editor(), Qt::Key_Tab);
        QVERIFY(View().Editor());
        QCOMPARE(m_ui.messages.size(), size_t{1});
        QVERIFY(QString::fromStdString(m_ui.messages[0].text).contains(QStringLiteral("🎉")));
        QVERIFY(View().Editor()->toPlainText().endsWith(QStringLiteral("🎉")));
        // More than the cell holds: no scroll bar takes room from it.
        View().Editor()->setPlainText(QStringLiteral("長い行").repeated(30) + QStringLiteral("\n行").repeated(20));
        QVERIFY(!View().Editor()->verticalScrollBar()->isVisible());
        QVERIFY(!View().Editor()->horizontalScrollBar()->isVisible());
        View().Editor()->setPlainText(QStringLiteral("歯医者\n18:00")); // the user takes the emoji out
        QTest::keyClick(View().Editor(), Qt::Key_Escape);
        QVERIFY(!View().Editor());

        // Switching to schedule mode saves; a fresh view reads it back.
        Send(VC_SWITCHMODE, 1);
        QCOMPARE(View().Grid().Cell(index).m_text, std::string());
        delete m_parent;
        m_parent = nullptr;
        init();
        Send(VC_SETPERSONALPATH, reinterpret_cast<intptr_t>(path.c_str()));
        Send(VC_SETMONTH, reinterpret_cast<intptr_t>(&feb));
        Send(VC_SETMODE, 0);
        Send(VC_SWITCHMODE, 0);
        QCOMPARE(View().Grid().Cell(index).m_text, expected);
        QVERIFY(m_ui.messages.empty());
    }

    // Command 21 opens the editor in schedule mode too; a month change
    // must not file its text under another date or drop it.
    void memoGoesToTheDateItWasOpenedOn()
    {
        const std::string path = m_home.File("dated.mvp");
        test::WriteFileBytes(path, std::string(4, '\0'));
        Send(VC_SETPERSONALPATH, reinterpret_cast<intptr_t>(path.c_str()));
        for (int step : {VC_NEXTMONTH, VC_PREVMONTH}) {
            DATEREC dec = Month(2007, 12);
            Send(VC_SETMONTH, reinterpret_cast<intptr_t>(&dec));
            Send(VC_SELECTDAY, 31);
            Send(VC_EDITMEMO);
            QVERIFY(View().Editor());
            QTest::keyClicks(View().Editor(), QStringLiteral("eve"));
            Send(step);
            QVERIFY(!View().Editor());
        }
        std::string text;
        View().Personal().GetDayText(20071231, text);
        QCOMPARE(QString::fromStdString(text), QStringLiteral("eve"));
        for (uint32_t other : {20080131u, 20071130u, 20080104u, 20071103u}) {
            text.clear();
            View().Personal().GetDayText(other, text);
            QVERIFY2(text.empty(), std::to_string(other).c_str());
        }
    }

    void destructionCommitsAnOpenEditor()
    {
        const std::string path = m_home.File("destroy.mvp");
        test::WriteFileBytes(path, std::string(4, '\0'));
        Send(VC_SETPERSONALPATH, reinterpret_cast<intptr_t>(path.c_str()));
        DATEREC feb = Month(2007, 2);
        Send(VC_SETMONTH, reinterpret_cast<intptr_t>(&feb));
        Send(VC_SETMODE, 0);
        Send(VC_SWITCHMODE, 0);
        Send(VC_SELECTDAY, 9);
        Send(VC_EDITMEMO);
        QVERIFY(View().Editor());
        QTest::keyClicks(View().Editor(), QStringLiteral("meeting"));
        delete m_parent;
        m_parent = nullptr;
        QVERIFY(test::ReadFileBytes(path).find("meeting") != std::string::npos);
    }

    void truncatedPersonalFileIsKeptAside()
    {
        const std::string path = m_home.File("cut.mvp");
        // Two records announced, one and a half present.
        test::WriteFileBytes(path, std::string("\x02\x00\x00\x00\xD2\x07\x00\x00\x03"
                                               "abc\xD3\x07\x00\x00\x09"
                                               "ab",
                                               19));
        Send(VC_SETPERSONALPATH, reinterpret_cast<intptr_t>(path.c_str()));
        Send(VC_LOADPERSONAL);
        QCOMPARE(m_ui.messages.size(), size_t{1});
        QVERIFY(QString::fromStdString(m_ui.messages[0].text).contains(QStringLiteral(".damaged-")));
        int backups = 0;
        for (const auto& entry : std::filesystem::directory_iterator(m_home.Path()))
            backups += entry.path().filename().string().rfind("cut.mvp.damaged-", 0) == 0;
        QCOMPARE(backups, 1);
    }
};

QTEST_MAIN(CMonthViewTest)
#include "CMonthViewTest.moc"
