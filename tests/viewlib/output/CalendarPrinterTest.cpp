// Printing the month to PDF files: pages, frame position, the options
// dialog and its remembered height.
#include "viewlib/output/CalendarPrinter.h"
#include "common/IsolatedEnvironment.h"
#include "common/PdfText.h"
#include "common/RecordingUi.h"
#include "common/TempDir.h"
#include "support/Codepage.h"
#include "support/Profile.h"
#include "support/platform/Platform.h"
#include "viewlib/output/CPrintDialogEx.h"
#include "viewlib/output/PdfFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <cerrno>

using namespace mirovan;
using namespace mirovan::view;

namespace {

CalendarJob Job(int cells, bool empty)
{
    CalendarJob job;
    job.year = 2007;
    job.month = 2;
    job.memberName = codepage::FromUtf8("佐藤 一郎").value();
    job.emptyCalendar = empty;
    job.dayFace = codepage::FromUtf8("ＭＳ Ｐ明朝").value();
    job.textFace = job.dayFace;
    for (int i = 0; i < cells; ++i)
        job.cells.push_back(
            {std::to_string(i % 28 + 1),
             codepage::FromUtf8(" 9:00  定例会議とても長い件名がセルからはみ出す\r\n13:00  来客").value(),
             i % 7 == 0 ? Rgb(255, 192, 192) : Rgb(255, 255, 255), i > 27});
    return job;
}

// The first page of a PDF as an image at 254 dots per inch, so that one
// pixel is a tenth of a millimetre.
QImage Render(const QString& pdf)
{
    QProcess p;
    const QString base = pdf + QStringLiteral(".page");
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-png"),
                                         QStringLiteral("-singlefile"), pdf, base});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QImage(base + QStringLiteral(".png"));
}

// Answers the next print dialog: Cancel when file is empty, else OK with
// the output going to file.
class PrintDialogAnswer {
public:
    PrintDialogAnswer(const QString& file, bool emptyCalendar)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, file, emptyCalendar] {
            auto* dialog = dynamic_cast<CPrintDialogEx*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            m_timer.stop();
            seen = true;
            if (file.isEmpty()) {
                dialog->reject();
                return;
            }
            if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("filename")))
                name->setText(file);
            dialog->Options()->findChild<QCheckBox*>(QStringLiteral("c1020"))->setChecked(emptyCalendar);
            dialog->accept();
        });
        m_timer.start(0);
    }
    bool seen = false;

private:
    QTimer m_timer;
};

bool Dark(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 100; }

// A line within one device unit of where it belongs.
bool LineNear(const QImage& image, int x, int y, bool vertical)
{
    for (int d = -1; d <= 1; ++d)
        if (vertical ? Dark(image, x + d, y) : Dark(image, x, y + d))
            return true;
    return false;
}

} // namespace

class CalendarPrinterTest : public QObject {
    Q_OBJECT
    test::TempDir m_home;
    test::IsolatedEnvironment m_environment{m_home.Path()};

    QString PrintPdf(const QString& name, CalendarJob job, QPageSize::PageSizeId size, QPageLayout::Orientation o)
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString path = QString::fromStdString(m_home.File(name.toStdString()));
        printer.setOutputFileName(path);
        printer.setPageSize(QPageSize(size));
        printer.setPageOrientation(o);
        printer.setPageMargins(QMarginsF(0, 0, 0, 0));
        printer.setFullPage(false);
        if (!PrintCalendarTo(printer, job))
            return {};
        return path;
    }

private slots:
    void frameLiesWhereTheLayoutPutsIt()
    {
        CalendarJob job = Job(35, false);
        job.page.heightPercent = 100;
        const QString pdf = PrintPdf(QStringLiteral("a4.pdf"), job, QPageSize::A4, QPageLayout::Portrait);
        QVERIFY(!pdf.isEmpty());
        const QImage image = Render(pdf);
        if (image.isNull())
            QSKIP("pdftoppm is not installed");
        QCOMPARE(image.width(), 2100);
        const CalendarPageLayout page = LayoutCalendarPage(job.page);
        // The left border line and the right one, across the weekday band.
        const int y = (page.weekdayBand.top + page.weekdayBand.bottom) / 2;
        QVERIFY(LineNear(image, 180, y, true));
        QVERIFY(LineNear(image, 1920, y, true));
        QVERIFY(!Dark(image, 175, y));
        QVERIFY(!Dark(image, 1925, y));
        // The last row line, 5 rows down.
        const int last = page.grid.top + 5 * page.rowHeight;
        QVERIFY(LineNear(image, 1000, last, false));
        QVERIFY(LineNear(image, 1000, page.weekdayBand.top, false));
        QVERIFY(LineNear(image, 1000, page.grid.top, false));
        QVERIFY(!Dark(image, 1000, page.titleBand.top - 5));
        QVERIFY(!Dark(image, 1000, last + 5));
    }

    void everyPaperAndOrientationPrints()
    {
        struct Case {
            const char* name;
            QPageSize::PageSizeId size;
            QPageLayout::Orientation orientation;
            int cells, percent;
            bool empty;
        };
        const Case cases[] = {
            {"a4-p-5.pdf", QPageSize::A4, QPageLayout::Portrait, 35, 100, false},
            {"a4-l-6.pdf", QPageSize::A4, QPageLayout::Landscape, 42, 50, false},
            {"b4-p-6.pdf", QPageSize::JisB4, QPageLayout::Portrait, 42, 50, true},
            {"b4-l-5.pdf", QPageSize::JisB4, QPageLayout::Landscape, 35, 100, false},
        };
        for (const Case& c : cases) {
            CalendarJob job = Job(c.cells, c.empty);
            job.page.heightPercent = c.percent;
            const QString pdf = PrintPdf(QString::fromLatin1(c.name), job, c.size, c.orientation);
            QVERIFY2(!pdf.isEmpty(), c.name);
            QVERIFY(QFileInfo(pdf).size() > 1000);
        }
    }

    void unwritableOutputIsReported()
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString path = QString::fromStdString(m_home.File("無い フォルダ/予定😀 é.pdf"));
        printer.setOutputFileName(path);
        QVERIFY(!PrintCalendarTo(printer, Job(35, false)));
        // The message names the file as it was typed.
        QVERIFY(QString::fromStdString(PrintFailureMessage(printer)).endsWith(QStringLiteral("ファイル名：") + path));
    }

    // A write that fails part way is reported naming the file, and nothing
    // of the PDF is left: a full device behind a link, a full disk on the
    // way to a plain file.
    void failedWriteLeavesNothing()
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString full = QString::fromStdString(m_home.File("full.pdf"));
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), full));
        printer.setOutputFileName(full);
        std::string failure;
        QVERIFY(!PrintCalendarTo(printer, Job(35, false), &failure));
        QCOMPARE(QString::fromStdString(failure), full + QStringLiteral(" へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。"));
        QVERIFY(QFileInfo(full).isSymLink());
        QCOMPARE(printer.outputFileName(), full);

        const QString plain = QString::fromStdString(m_home.File("plain.pdf"));
        printer.setOutputFileName(plain);
        platform::SetFaultHook(
            [](platform::FileStep step, const std::string&) { return step == platform::FileStep::Write ? ENOSPC : 0; });
        const bool printed = PrintCalendarTo(printer, Job(35, false), &failure);
        platform::SetFaultHook(nullptr);
        QVERIFY(!printed);
        QVERIFY(QString::fromStdString(failure).startsWith(plain));
        QVERIFY(!QFileInfo::exists(plain));
        QCOMPARE(QDir(QString::fromStdString(m_home.Path().string()))
                     .entryList({QStringLiteral(".mirovan-*")}, QDir::Hidden | QDir::Files)
                     .size(),
                 0);
    }

    // The dialog prints the job it is given, with the options chosen in it;
    // what went wrong reaches the caller's interface, and Cancel prints
    // nothing.
    void dialogPrintsTheGivenJobAndTellsTheCaller()
    {
        test::RecordingUi ui;
        const QString pdf = QString::fromStdString(m_home.File("dialog.pdf"));
        {
            PrintDialogAnswer cancel({}, false);
            PrintCalendar(Job(35, false), nullptr, ui);
            QVERIFY(cancel.seen);
        }
        QVERIFY(!QFileInfo::exists(pdf));
        QVERIFY(ui.messages.empty());

        {
            PrintDialogAnswer ok(pdf, true);
            PrintCalendar(Job(35, false), nullptr, ui);
            QVERIFY(ok.seen);
        }
        QVERIFY(ui.messages.empty());
        QVERIFY(QFileInfo(pdf).size() > 1000);
        const QString text = test::PdfText(pdf);
        if (!text.isEmpty()) {
            QVERIFY(text.contains(QStringLiteral("2007年2月")));
            // The empty calendar ticked in the dialog: no name, no texts.
            QVERIFY(!text.contains(QStringLiteral("佐藤 一郎")));
            QVERIFY(!text.contains(QStringLiteral("定例会議")));
        }

        const QString full = QString::fromStdString(m_home.File("dialog-full.pdf"));
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), full));
        {
            PrintDialogAnswer ok(full, false);
            PrintCalendar(Job(35, false), nullptr, ui);
            QVERIFY(ok.seen);
        }
        QCOMPARE(ui.messages.size(), size_t{1});
        QCOMPARE(ui.messages[0].icon, MessageIcon::Exclamation);
        QVERIFY(QString::fromStdString(ui.messages[0].text).startsWith(full));
    }

    void onlyAWholePdfPasses()
    {
        const QString pdf = PrintPdf(QStringLiteral("whole.pdf"), Job(35, false), QPageSize::A4, QPageLayout::Portrait);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const std::string bytes = file.readAll().toStdString();
        QVERIFY(IsWholePdf(bytes));
        // Cut anywhere, by a full disk's missing buffer or inside the trailer.
        for (size_t cut : {size_t(0), bytes.size() / 2, bytes.size() - 3})
            QVERIFY2(!IsWholePdf(bytes.substr(0, cut)), qPrintable(QString::number(cut)));
        QVERIFY(!IsWholePdf("%PDF-1.4\nstartxref\n999999\n%%EOF\n"));
    }

    void dialogOptionsAndTheRememberedHeight()
    {
        QPrinter printer;
        {
            CPrintDialogEx dialog(&printer, nullptr, 11, 11, 10, false);
            auto* height = dialog.Options()->findChild<QComboBox*>(QStringLiteral("c1019"));
            QVERIFY(height);
            QCOMPARE(height->count(), 10);
            QCOMPARE(height->currentText(), QStringLiteral("50"));
            QCOMPARE(dialog.Options()->findChild<QLineEdit*>(QStringLiteral("c1022"))->text(), QStringLiteral("11"));
            QCOMPARE(dialog.Options()->findChild<QLineEdit*>(QStringLiteral("c1021"))->text(), QStringLiteral("10"));
            QVERIFY(!dialog.Options()->findChild<QCheckBox*>(QStringLiteral("c1020"))->isChecked());
            height->setCurrentIndex(7);
            dialog.Options()->findChild<QLineEdit*>(QStringLiteral("c1023"))->setText(QString());
            dialog.Options()->findChild<QCheckBox*>(QStringLiteral("c1020"))->setChecked(true);
            dialog.TakeOptions();
            QCOMPARE(dialog.HeightPercent(), 80);
            QCOMPARE(dialog.DateSize(), 0);
            QVERIFY(dialog.EmptyCalendar());
        }
        QCOMPARE(profile::ReadNumber("Property", "PrintHeight", 0), 80u);
        {
            CPrintDialogEx dialog(&printer, nullptr, 10, 10, 10, false);
            QCOMPARE(dialog.Options()->findChild<QComboBox*>(QStringLiteral("c1019"))->currentText(),
                     QStringLiteral("80"));
            dialog.reject(); // Cancel changes nothing
        }
        QCOMPARE(profile::ReadNumber("Property", "PrintHeight", 0), 80u);
    }

    // Every text of the options shows whole with the installed faces: no
    // control is narrower than its text, none covers another, and the
    // group holds them all.
    void optionsShowEveryTextWhole()
    {
        QPrinter printer;
        CPrintDialogEx dialog(&printer, nullptr, 10, 10, 10, false);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("印刷"));
        auto* box = dialog.Options()->findChild<QGroupBox*>();
        QVERIFY(box);
        QList<QWidget*> controls;
        for (QWidget* w : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (w->objectName().startsWith(QLatin1Char('c')))
                controls << w;
        QCOMPARE(controls.size(), 12);
        const QRect inside = box->contentsRect();
        for (QWidget* w : controls) {
            const QString name = w->objectName();
            if (qobject_cast<QLabel*>(w) || qobject_cast<QCheckBox*>(w) || qobject_cast<QComboBox*>(w))
                QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(name));
            QVERIFY2(inside.contains(w->geometry()), qPrintable(name));
            for (QWidget* other : controls)
                QVERIFY2(other == w || !other->geometry().intersects(w->geometry()),
                         qPrintable(name + QLatin1Char(' ') + other->objectName()));
        }
        QVERIFY(dialog.Options()->minimumWidth() >= box->width());
    }

    // The size fields are wide enough for the largest size they take:
    // a stored 1000 must not open looking like "000".
    void sizeFieldsShowTheLargestSizeWhole()
    {
        QPrinter printer;
        CPrintDialogEx dialog(&printer, nullptr, kMaxPrintPoints, kMaxPrintPoints, kMaxPrintPoints, false);
        for (const char* id : {"c1021", "c1022", "c1023"}) {
            auto* edit = dialog.Options()->findChild<QLineEdit*>(QLatin1String(id));
            QCOMPARE(edit->text(), QString::number(kMaxPrintPoints));
            // Qt draws the text 2 pixels inside the contents and keeps a pixel for the cursor.
            const int room =
                edit->contentsRect().width() - edit->textMargins().left() - edit->textMargins().right() - 4;
            QVERIFY2(room >= edit->fontMetrics().horizontalAdvance(edit->text()) + 1, id);
        }
    }

    // Sizes typed far beyond any sheet are limited as they leave the
    // dialog, and such a page still prints.
    void absurdTypedSizesAreLimited()
    {
        QPrinter printer(QPrinter::HighResolution);
        CPrintDialogEx dialog(&printer, nullptr, 10, 10, 10, false);
        for (const char* id : {"c1021", "c1022", "c1023"}) {
            auto* edit = dialog.Options()->findChild<QLineEdit*>(QLatin1String(id));
            edit->clear();
            QTest::keyClicks(edit, id[4] == '2' ? QStringLiteral("500000") : QStringLiteral("99999999999"));
        }
        dialog.TakeOptions();
        QCOMPARE(dialog.HeadingSize(), kMaxPrintPoints);
        QCOMPARE(dialog.ScheduleSize(), kMaxPrintPoints);
        QCOMPARE(dialog.DateSize(), kMaxPrintPoints);
        CalendarJob job = Job(35, false);
        job.headingPoints = dialog.HeadingSize();
        job.datePoints = dialog.DateSize();
        job.schedulePoints = dialog.ScheduleSize();
        QVERIFY(!PrintPdf(QStringLiteral("huge.pdf"), job, QPageSize::A4, QPageLayout::Portrait).isEmpty());
    }
};

QTEST_MAIN(CalendarPrinterTest)
#include "CalendarPrinterTest.moc"
