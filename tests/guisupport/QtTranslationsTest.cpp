// Qt's own dialogs in Japanese: what qtbase_ja leaves in English, and a
// print dialog whose two option tabs can be told apart.
#include "guisupport/QtTranslations.h"
#include "viewlib/output/CPrintDialogEx.h"

#include "common/IsolatedEnvironment.h"
#include "common/TempDir.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QPrinter>
#include <QTabWidget>
#include <QtTest>

using namespace mirovan;

class QtTranslationsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(InstallQtTranslations()); }

    void printDialogSpeaksJapaneseWithDistinctTabs()
    {
        QPrinter printer;
        view::CPrintDialogEx dialog(&printer, nullptr, 10, 10, 10, false);
        auto* tabs = dialog.findChild<QTabWidget*>();
        QVERIFY(tabs);
        QStringList titles;
        for (int i = 0; i < tabs->count(); ++i)
            titles << tabs->tabText(i);
        QCOMPARE(titles, (QStringList{"印刷部数", "詳細設定", "オプション"}));

        QStringList texts;
        for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
            texts << button->text();
        for (QGroupBox* box : dialog.findChildren<QGroupBox*>())
            texts << box->title();
        for (const char* japanese : {"両面印刷", "しない", "長辺綴じ", "短辺綴じ", "ページ指定"})
            QVERIFY2(texts.contains(QString::fromUtf8(japanese)), japanese);
        for (const char* english : {"Double Sided Printing", "Off", "Long side binding", "Pages"})
            QVERIFY2(!texts.contains(QLatin1String(english)), english);
    }

    void fileDialogCallsAFolderAFolder()
    {
        test::TempDir dir;
        QVERIFY(QDir(QString::fromStdString(dir.Path().string())).mkdir(QStringLiteral("sub")));
        QFileDialog dialog(nullptr, QString(), QString::fromStdString(dir.Path().string()));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        auto* model = dialog.findChild<QFileSystemModel*>();
        QVERIFY(model);
        const QModelIndex sub = model->index(QString::fromStdString(dir.File("sub")));
        QTRY_COMPARE(model->type(sub), QStringLiteral("フォルダ"));
    }

private:
    test::TempDir m_home;
    test::IsolatedEnvironment m_environment{m_home.Path()};
};

QTEST_MAIN(QtTranslationsTest)
#include "QtTranslationsTest.moc"
