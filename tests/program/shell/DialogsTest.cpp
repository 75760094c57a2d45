// The dialogs built from the program's templates.
#include "common/Mnemonics.h"
#include "program/shell/Dialogs.h"
#include "program/shell/ShellResources.h"
#include "support/Version.h"

#include <QDialog>
#include <QLabel>
#include <QtTest>

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void aboutShowsTheBuildsVersion()
    {
        const auto dialog = mirovan::shell::BuildAboutDialog(nullptr);
        QStringList texts;
        for (const QLabel* label : dialog->findChildren<QLabel*>())
            texts << label->text();
        QVERIFY2(texts.contains(QStringLiteral("Mirovan (for Tillbrook)\nver ") + QLatin1String(mirovan::kVersion)),
                 qPrintable(texts.join(QLatin1Char('|'))));
        QVERIFY(texts.contains(QStringLiteral("Copyright (C) Tavric. All rights reserved.")));
    }

    // The control bar shares its window with the menu bar's letters.
    void everyControlHasItsOwnKey_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QStringList>("taken");
        QStringList menus;
        for (const auto& popup : mirovan::shell::LoadMenu(104))
            menus << popup.title;
        QTest::newRow("control bar") << 105 << menus;
        QTest::newRow("options page") << 113 << QStringList();
    }
    void everyControlHasItsOwnKey()
    {
        QFETCH(int, id);
        QFETCH(QStringList, taken);
        QWidget page;
        mirovan::BuildControls(&page, mirovan::shell::LoadDialogTemplate(id));
        const QStringList problems = mirovan::test::MnemonicProblems(page, taken);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
