// Where Qt text meets code page 932: what is shown, what is stored, and
// what cannot be stored.
#include "guisupport/QtText.h"

#include <QTest>

using namespace mirovan;

class QtTextTest : public QObject {
    Q_OBJECT

private slots:
    void ShownTextKeepsWhatItCannotDecode()
    {
        // "～" is 0x8160 in the Windows variant, not the wave dash.
        QCOMPARE(qttext::FromCp932(std::string("\x81\x60"
                                               "A",
                                               3)),
                 QStringLiteral("～A"));
        QCOMPARE(qttext::FromCp932(std::string("A\x81", 2)), QStringLiteral("A\uFFFD"));
        QCOMPARE(qttext::FromCp932Lines("a\r\nb\nc"), QStringLiteral("a\nb\nc"));
        QCOMPARE(qttext::FromCp932(std::string("a\0b", 3)).size(), 3);
    }

    void StoredTextIsExactOrReportsWhatDoesNotFit()
    {
        const auto ok = qttext::ToCp932(QStringLiteral("予定～"));
        QVERIFY(ok.bytes);
        QCOMPARE(qttext::FromCp932(*ok.bytes), QStringLiteral("予定～"));
        QVERIFY(ok.unmappable.empty());

        const QString typed = QStringLiteral("a😀b予😀");
        const auto bad = qttext::ToCp932(typed);
        QVERIFY(!bad.bytes);
        QCOMPARE(bad.unmappable.size(), size_t(1));
        QCOMPARE(qttext::FromUtf8(bad.unmappable[0]), QStringLiteral("😀"));
        QCOMPARE(qttext::FromCp932(qttext::ToCp932Replacing(typed, QStringLiteral("〓"))), QStringLiteral("a〓b予〓"));
    }

    void PathsComeBackAsTheyWere()
    {
        const std::string path = "/tmp/予定/file.mvp";
        QCOMPARE(qttext::FromNativePath(path), QStringLiteral("/tmp/予定/file.mvp"));
        QCOMPARE(qttext::ToNativePath(qttext::FromNativePath(path)), path);
    }
};

QTEST_GUILESS_MAIN(QtTextTest)
#include "QtTextTest.moc"
