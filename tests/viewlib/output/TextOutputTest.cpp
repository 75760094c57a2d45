// Printing plain text on papers of every shape: short sheets that hold
// no line, and landscape pages that must keep every line.
#include "viewlib/output/TextOutput.h"
#include "common/IsolatedEnvironment.h"
#include "common/PdfText.h"
#include "common/TempDir.h"
#include "common/Text.h"
#include "support/Codepage.h"

#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QTest>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

using namespace mirovan;
using mirovan::test::PdfText;
using mirovan::test::Sjis;
using namespace mirovan::view;

namespace {

// Ends the test program when the guarded call never returns: a page loop
// without end is the fault looked for, and it would otherwise run on.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds bound)
        : m_thread([this, bound] {
              std::unique_lock lock(m_mutex);
              if (!m_done.wait_for(lock, bound, [this] { return m_finished; })) {
                  std::fputs("FAIL: printing did not come to an end\n", stderr);
                  std::abort();
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_one();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

std::string Rows(int count)
{
    std::string text = Sjis("2007年2月5日のスケジュール") + "\r\n--------------------\r\n";
    for (int i = 1; i <= count; ++i)
        text += Sjis("行") + std::to_string(i) + Sjis("番 定例会議") + "\r\n";
    return text;
}

} // namespace

class TextOutputTest : public QObject {
    Q_OBJECT
    test::TempDir m_home;
    test::IsolatedEnvironment m_environment{m_home.Path()};

    QString PdfPath(const char* name) { return QString::fromStdString(m_home.File(name)); }

    void Setup(QPrinter& printer, const QString& pdf, QPageSize::PageSizeId size, QPageLayout::Orientation o)
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(size));
        printer.setPageOrientation(o);
    }

private slots:
    void paperTooShortForALinePrintsNothing()
    {
        for (const auto size : {QPageSize::A10, QPageSize::A9}) {
            QPrinter printer(QPrinter::HighResolution);
            const QString pdf = PdfPath(size == QPageSize::A10 ? "a10.pdf" : "a9-landscape.pdf");
            Setup(printer, pdf, size, size == QPageSize::A10 ? QPageLayout::Portrait : QPageLayout::Landscape);
            TextPrintOutcome outcome;
            {
                Watchdog watchdog(std::chrono::seconds(60));
                outcome = PrintTextTo(printer, Rows(3), Sjis("ＭＳ Ｐ明朝"), 11);
            }
            QCOMPARE(outcome.status, TextPrintOutcome::NoLineFits);
            QCOMPARE(outcome.pages, 0);
            QVERIFY(!QFileInfo::exists(pdf));
        }
    }

    void landscapeKeepsEveryLine_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("rows");
        QTest::newRow("A4") << int(QPageSize::A4) << 58;
        QTest::newRow("A6") << int(QPageSize::A6) << 30;
        QTest::newRow("A8") << int(QPageSize::A8) << 6;
    }
    void landscapeKeepsEveryLine()
    {
        QFETCH(int, size);
        QFETCH(int, rows);
        QPrinter printer(QPrinter::HighResolution);
        const QString pdf = PdfPath("landscape.pdf");
        Setup(printer, pdf, QPageSize::PageSizeId(size), QPageLayout::Landscape);
        const TextPrintOutcome outcome = PrintTextTo(printer, Rows(rows), Sjis("ＭＳ Ｐ明朝"), 11);
        QCOMPARE(outcome.status, TextPrintOutcome::Printed);
        const QString text = PdfText(pdf);
        if (text.isEmpty())
            QSKIP("pdftotext is not installed");
        QCOMPARE(text.count(QChar('\f')), outcome.pages);
        // pdftotext keeps only what lies on a page.
        QVERIFY(text.contains(QStringLiteral("--------------------")));
        for (int i = 1; i <= rows; ++i)
            QVERIFY2(text.contains(QStringLiteral("行%1番").arg(i)), qPrintable(QStringLiteral("row %1").arg(i)));
    }
    // A full disk is told and leaves no pages behind, the printer's file
    // name as it was.
    void aFullDeviceIsReported()
    {
        QPrinter printer(QPrinter::HighResolution);
        const QString pdf = PdfPath("full.pdf");
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), pdf));
        Setup(printer, pdf, QPageSize::A4, QPageLayout::Portrait);
        const TextPrintOutcome outcome = PrintTextTo(printer, Rows(3), Sjis("ＭＳ Ｐ明朝"), 11);
        QCOMPARE(outcome.status, TextPrintOutcome::CannotWrite);
        QCOMPARE(QString::fromStdString(outcome.failure),
                 pdf + QStringLiteral(" へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。"));
        QVERIFY(QFileInfo(pdf).isSymLink());
        QCOMPARE(printer.outputFileName(), pdf);
    }
};

QTEST_MAIN(TextOutputTest)
#include "TextOutputTest.moc"
