// The shell's rules that need no window: the command line, the packing
// of the window placement, and the settings' defaults and round trip.
#include "ShellTestSupport.h"

#include "program/shell/CommandLine.h"
#include "program/shell/Settings.h"
#include "support/registry/Registry.h"

#include <QtTest>

using namespace mirovan;
using namespace mirovan::shell;

class ShellLogicTest : public QObject {
    Q_OBJECT

private slots:
    void commandLineForms_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("member");
        QTest::addColumn<int>("result");
        const QString sales = QStringLiteral("/share/sales.group");
        QTest::newRow("group") << sales << "" << sales << "" << 1;
        QTest::newRow("upper-case extension") << "/share/sales.GROUP" << "" << "/share/sales.GROUP" << "" << 1;
        QTest::newRow("quoted") << "\"/share/my sales.group\"" << "" << "/share/my sales.group" << "" << 1;
        QTest::newRow("month file") << "/share/sales200702.sch" << "" << sales << "" << 1;
        QTest::newRow("month file in quotes") << "\"/share/sales200702.SCH\"" << "" << sales << "" << 1;
        QTest::newRow("other file") << "/share/notes.txt" << "" << "" << "" << 0;
        QTest::newRow("no extension") << "group" << "" << "group" << "" << 1;
        QTest::newRow("empty takes the setting") << "" << sales << sales << "" << 1;
        QTest::newRow("launcher") << "/BYLINK /file:\"/share/sales.group\" /member:0012" << "" << sales << "0012" << 1;
        QTest::newRow("launcher in lower case") << "/bylink /file:\"/share/sales.group\" /member:0012" << "" << sales << "0012" << 1;
        QTest::newRow("launcher, blanks after the code")
            << "/bylink /file:\"/share/sales.group\"   /member:0012  " << "" << sales << "0012  " << 1;
        QTest::newRow("launcher with a blank in the path")
            << "/BYLINK /file:\"/my share/sales.group\" /member:7" << "" << "/my share/sales.group" << "7" << 1;
        QTest::newRow("launcher without the member") << "/BYLINK /file:\"/share/sales.group\"" << "" << sales << "" << 1;
        QTest::newRow("launcher, member first")
            << "/BYLINK /member:7 /file:\"/share/sales.group\"" << "" << sales << "" << 1;
        QTest::newRow("launcher without markers") << "/BYLINK" << sales << sales << "" << 1;
    }

    void commandLineForms()
    {
        QFETCH(QString, line);
        QFETCH(QString, setting);
        const StartupFile file = ReadCommandLine(line.toStdString(), setting.toStdString());
        QTEST(QString::fromStdString(file.groupPath), "group");
        QTEST(QString::fromStdString(file.memberCode), "member");
        QTEST(file.result, "result");
    }

    void launcherUpperCasesOnlyAscii()
    {
        // "ｂ" in code page 932 is 0x82 0x82; its bytes must not change.
        const std::string sjis = test::Sjis("/ｂylink");
        QCOMPARE(AsciiUpper(sjis), sjis.substr(0, 3) + "YLINK");
        QCOMPARE(ReadCommandLine(test::Sjis("/ＢＹＬＩＮＫ x.group"), "").groupPath, test::Sjis("/ＢＹＬＩＮＫ x.group"));
    }

    void argumentsAreJoinedWithQuotes()
    {
        QCOMPARE(JoinArguments({}), std::string());
        QCOMPARE(JoinArguments({"/share/sales.group"}), std::string("/share/sales.group"));
        QCOMPARE(JoinArguments({"/my share/sales.group"}), std::string("\"/my share/sales.group\""));
        QCOMPARE(JoinArguments({"/BYLINK", "/file:\"/s/sales.group\"", "/member:0012"}),
                 std::string("/BYLINK /file:\"/s/sales.group\" /member:0012"));
        // A quoted argument with a blank comes back whole.
        QCOMPARE(ReadCommandLine(JoinArguments({"/my share/sales.group"}), "").groupPath, std::string("/my share/sales.group"));
    }

    void placementPacking()
    {
        const Placement d = UnpackPlacement(kDefaultXPos, kDefaultYPos);
        QCOMPARE(d.left, 50);
        QCOMPARE(d.top, 50);
        QCOMPARE(d.right - d.left, 550);
        QCOMPARE(d.bottom - d.top, 350);

        uint32_t x = 0;
        uint32_t y = 0;
        PackPlacement({120, 80, 700, 500}, x, y);
        QCOMPARE(x, (120u << 16) | 700u);
        QCOMPARE(y, (80u << 16) | 500u);

        // Left of and above the primary screen: moved in, size kept.
        PackPlacement({-1300, -20, -500, 580}, x, y);
        const Placement moved = UnpackPlacement(x, y);
        QCOMPARE(moved.left, 0);
        QCOMPARE(moved.right, 800);
        QCOMPARE(moved.top, 0);
        QCOMPARE(moved.bottom, 600);

        PackPlacement({70000, 10, 70400, 100}, x, y);
        const Placement far = UnpackPlacement(x, y);
        QCOMPARE(far.right, 65535);
        QCOMPARE(far.right - far.left, 400);
    }

    void settingsDefaultsAndRoundTrip()
    {
        test::IsolatedHome home;
        ShellSettings s;
        LoadSettings(s, "alice");
        QCOMPARE(std::string(s.fonts.Font0), test::Sjis("ＭＳ Ｐゴシック"));
        QCOMPARE(std::string(s.fonts.Font1), test::Sjis("ＭＳ Ｐ明朝"));
        QCOMPARE(s.fonts.FontSize0, 110);
        QCOMPARE(s.fonts.FontSize1, 100);
        QCOMPARE(s.noMemDC, 0);
        QCOMPARE(s.mode, 1);
        QCOMPARE(s.random, 1);
        QCOMPARE(s.defColor, 8453888);
        QCOMPARE(s.window, 0);
        QCOMPARE(s.user, std::string("alice"));
        QVERIFY(s.group.empty() && s.personal.empty());

        registry::WriteNumber(registry::Root::CurrentUser, kPropertyKey, "Weekend", 5);
        s.noMemDC = 1;
        s.endTime = 1;
        s.group = "/share/sales.group";
        SaveSettings(s);
        ShellSettings again;
        QCOMPARE(LoadSettings(again, "bob"), kSettingsVersion);
        QCOMPARE(again.noMemDC, 1);
        QCOMPARE(again.fonts.Spare, 1);
        QCOMPARE(again.endTime, 1);
        QCOMPARE(again.user, std::string("alice"));
        QCOMPARE(again.group, std::string("/share/sales.group"));
        QCOMPARE(registry::ReadNumber(registry::Root::CurrentUser, kPropertyKey, "Weekend", 0), 5u);
    }

    void longFaceNamesAreCutWhole()
    {
        char field[64];
        SetFaceName(field, std::string(80, 'a'));
        QCOMPARE(std::strlen(field), size_t{63});
        // 31 double-byte characters fill 62 bytes; the 32nd would split.
        std::string wide;
        for (int i = 0; i < 40; ++i)
            wide += test::Sjis("明");
        SetFaceName(field, wide);
        QCOMPARE(std::strlen(field), size_t{62});
        QCOMPARE(std::string(field), wide.substr(0, 62));
    }
};

QTEST_MAIN(ShellLogicTest)
#include "ShellLogicTest.moc"
