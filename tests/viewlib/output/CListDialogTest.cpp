// The detail list dialog: its rows, copy text, button placement, the
// geometry it keeps, and printing its text to a PDF.
#include "viewlib/output/CListDialog.h"
#include "common/IsolatedEnvironment.h"
#include "common/Mnemonics.h"
#include "common/PdfText.h"
#include "common/TempDir.h"
#include "common/Text.h"
#include "guisupport/DialogBuilder.h"
#include "support/Codepage.h"
#include "support/Profile.h"
#include "support/settings/SettingsTable.h"
#include "viewlib/layout/ListDialogProfile.h"
#include "viewlib/output/TextOutput.h"
#include "viewlib/ui/ViewResources.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace mirovan;
using mirovan::test::PdfText;
using mirovan::test::Sjis;
using namespace mirovan::view;

namespace {

} // namespace

class CListDialogTest : public QObject {
    Q_OBJECT
    test::TempDir m_home;
    test::IsolatedEnvironment m_environment{m_home.Path()};

private slots:
    void everyControlHasItsOwnKey_data()
    {
        QTest::addColumn<int>("id");
        QTest::newRow("detail list") << 114;
        QTest::newRow("print options") << 1538;
    }
    void everyControlHasItsOwnKey()
    {
        QFETCH(int, id);
        QWidget page;
        BuildControls(&page, view::LoadDialogTemplate(id));
        const QStringList problems = test::MnemonicProblems(page);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    void rowsCopyTextAndFirstStartGeometry()
    {
        CListDialog dialog(Sjis("2007年2月5日のスケジュール"), {Sjis(" 9:00 ～10:00 "), Sjis("13:30 ～14:00 ")},
                           {Sjis("定例会議"), "visit"}, {"", Sjis("資料持参")}, nullptr);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("2007年2月5日のスケジュール"));
        QCOMPARE(dialog.List()->topLevelItemCount(), 2);
        QCOMPARE(dialog.List()->topLevelItem(1)->text(2), QStringLiteral("資料持参"));
        QCOMPARE(dialog.List()->headerItem()->text(0), QStringLiteral("時刻"));
        QCOMPARE(dialog.List()->columnWidth(0), 120);
        QCOMPARE(dialog.List()->columnWidth(2), 150);
        // The stored size is the outer one; the offscreen frame is 2 pixels.
        QCOMPARE(dialog.frameGeometry().size(), QSize(360, 400));
        QCOMPARE(dialog.size(), QSize(356, 396));
        // An empty remark still gets both separating blanks.
        QCOMPARE(dialog.CopyText(), Sjis(" 9:00 ～10:00  定例会議 \r\n13:30 ～14:00  visit 資料持参\r\n"));
        // Print, Copy, Close from the left, 25 pixels above the bottom.
        auto* print = dialog.findChild<QPushButton*>(QStringLiteral("c1011"));
        auto* copy = dialog.findChild<QPushButton*>(QStringLiteral("c1012"));
        auto* close = dialog.findChild<QPushButton*>(QStringLiteral("c2"));
        QCOMPARE(print->pos(), QPoint(10, 371));
        QCOMPARE(copy->pos(), QPoint(110, 371));
        QCOMPARE(close->pos(), QPoint(210, 371));
        QVERIFY(close->isDefault());
        QCOMPARE(dialog.List()->geometry(), QRect(0, 0, 356, 366));

        copy->click();
        QCOMPARE(QApplication::clipboard()->text(),
                 QStringLiteral(" 9:00 ～10:00  定例会議 \r\n13:30 ～14:00  visit 資料持参\r\n"));

        dialog.List()->setColumnWidth(1, 200);
        dialog.resize(400, 300);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(profile::ReadNumber("Property", "MVListWidth", 0), (120u << 20) | (200u << 10) | 150u);
        QCOMPARE(profile::ReadNumber("Property", "MVListSize", 0), (404u << 16) | 304u);
    }

    void maximisedKeepsTheLastPlacement()
    {
        const uint32_t size = profile::ReadNumber("Property", "MVListSize", 0);
        CListDialog dialog("t", {}, {}, {}, nullptr);
        dialog.showMaximized();
        dialog.List()->setColumnWidth(0, 5000); // beyond its 12 bits
        dialog.reject();
        QCOMPARE(profile::ReadNumber("Property", "MVListSize", 0), size);
        QCOMPARE(profile::ReadNumber("Property", "MVListWidth", 0) >> 20, 4095u);
        QCOMPARE(dialog.CopyText(), std::string());
        QCOMPARE(dialog.PrintTextOf(), std::string("t\r\n--------------------\r\n"));
    }

    // A list wider than its columns, as when maximised, stores the
    // columns' own widths, so that the next list opens without a scroll
    // bar.
    void wideListStoresTheColumnsOwnWidths()
    {
        profile::WriteNumber("Property", "MVListWidth", settings::kListWidth.fallback);
        {
            CListDialog dialog("t", {"9:00"}, {"a"}, {"b"}, nullptr);
            dialog.show();
            dialog.resize(1000, 700);
            QCOMPARE(dialog.List()->width(), 1000);
            dialog.reject();
        }
        QCOMPARE(profile::ReadNumber("Property", "MVListWidth", 0), settings::kListWidth.fallback);
    }

    void printsTextAcrossPages()
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = QString::fromStdString(m_home.File("list.pdf"));
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        std::string text = Sjis("2007年2月5日のスケジュール") + "\r\n--------------------\r\n";
        for (int i = 0; i < 120; ++i)
            text += Sjis(" 9:00 ～10:00  定例会議 ") + std::to_string(i) + "\r\n";
        const int pages = PrintTextTo(printer, text, Sjis("ＭＳ Ｐ明朝"), 11).pages;
        QVERIFY(pages >= 2);
        const QString extracted = PdfText(pdf);
        if (extracted.isEmpty())
            QSKIP("pdftotext is not installed");
        QVERIFY(extracted.contains(QStringLiteral("2007年2月5日のスケジュール")));
        QVERIFY(extracted.contains(QStringLiteral("定例会議 119")));
        QCOMPARE(extracted.count(QChar('\f')), pages);

        QPrinter empty(QPrinter::HighResolution);
        empty.setOutputFormat(QPrinter::PdfFormat);
        empty.setOutputFileName(QString::fromStdString(m_home.File("empty.pdf")));
        QCOMPARE(PrintTextTo(empty, "", Sjis("ＭＳ Ｐ明朝"), 11).pages, 0);
    }
};

QTEST_MAIN(CListDialogTest)
#include "CListDialogTest.moc"
