// The dialogs built from the program's templates.
#include "program/shell/Dialogs.h"
#include "common/Mnemonics.h"
#include "program/shell/ShellResources.h"
#include "support/Version.h"

#include <QAccessible>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QTreeWidget>
#include <QtTest>

namespace {

// The rows of the README's table whose header row is the given columns.
std::vector<QStringList> ReadmeTable(const QStringList& columns)
{
    QFile file(QStringLiteral(MIROVAN_SOURCE_DIR "/README.md"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QString header = QStringLiteral("| ") + columns.join(QStringLiteral(" | ")) + QStringLiteral(" |");
    std::vector<QStringList> rows;
    bool inside = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (!inside) {
            inside = line.trimmed() == header;
            continue;
        }
        if (!line.startsWith(QLatin1Char('|')))
            break;
        if (line.startsWith(QStringLiteral("|---")))
            continue;
        QStringList cells = line.split(QLatin1Char('|'));
        cells = cells.mid(1, cells.size() - 2);
        for (QString& cell : cells)
            cell = cell.trimmed();
        rows.push_back(cells);
    }
    return rows;
}

} // namespace

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

    void keyListIsATableTheKeysReach()
    {
        const auto keys = mirovan::shell::LoadKeyTable();
        const auto dialog = mirovan::shell::BuildKeyListDialog(nullptr);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("キー操作一覧"));
        auto* list = dialog->findChild<QTreeWidget*>();
        QVERIFY(list);
        QCOMPARE(list->headerItem()->text(0), QStringLiteral("キー"));
        QCOMPARE(list->headerItem()->text(1), QStringLiteral("操作"));
        QCOMPARE(list->topLevelItemCount(), static_cast<int>(keys.rows.size()));
        for (int r = 0; r < list->topLevelItemCount(); ++r)
            for (int c = 0; c < 2; ++c)
                QCOMPARE(list->topLevelItem(r)->text(c), keys.rows[r][c]);
        QVERIFY(!(list->topLevelItem(0)->flags() & Qt::ItemIsEditable));

        // A screen reader meets a named table of two columns.
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(list);
        QVERIFY(table && table->tableInterface());
        QCOMPARE(table->tableInterface()->columnCount(), 2);
        QCOMPARE(table->text(QAccessible::Name), QStringLiteral("キー操作一覧"));
        QAccessibleInterface* first = table->tableInterface()->cellAt(0, 1);
        QVERIFY(first);
        QCOMPARE(first->text(QAccessible::Name), keys.rows[0][1]);

        const QStringList problems = mirovan::test::MnemonicProblems(*dialog);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));

        // Escape and the close button both end it.
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        QCOMPARE(QApplication::focusWidget(), list);
        QTest::keyClick(list, Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        QTest::keyClick(dialog.get(), Qt::Key_C, Qt::AltModifier);
        QTRY_COMPARE(dialog->result(), int(QDialog::Accepted));
    }

    // One list for the program and the README, and every key the
    // accelerator table answers is on it.
    void keyListIsTheReadmesAndCoversTheAccelerators()
    {
        const auto keys = mirovan::shell::LoadKeyTable();
        const std::vector<QStringList> readme = ReadmeTable(keys.columns);
        QVERIFY2(!readme.empty(), "no key table in README.md");
        QCOMPARE(readme.size(), keys.rows.size());
        for (size_t r = 0; r < readme.size(); ++r)
            QCOMPARE(readme[r], keys.rows[r]);

        QStringList listed;
        for (const QStringList& row : keys.rows)
            listed << row[0].split(QStringLiteral(" / "));
        for (const auto& a : mirovan::shell::LoadAccelerators(103)) {
            QString key = a.key.toString(QKeySequence::PortableText);
            if (key == QLatin1String("Return"))
                key = QStringLiteral("Enter");
            QVERIFY2(listed.contains(key), qPrintable(key));
        }
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
