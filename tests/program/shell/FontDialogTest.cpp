// The real font dialog, run through the shell's user interface and
// answered from a timer with keys and clicks.
#include "program/shell/FontDialog.h"
#include "program/shell/ShellUi.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace mirovan::shell;

namespace {

// Runs answer on the font dialog once its loop runs; a watchdog ends a
// dialog nobody answered.
std::optional<QFont> ChooseWith(const QFont& start, std::function<void(FontDialog&)> answer)
{
    QTimer poll;
    int waited = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = dynamic_cast<FontDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (++waited > 500)
                for (QWidget* top : QApplication::topLevelWidgets())
                    if (auto* other = qobject_cast<QDialog*>(top))
                        other->reject();
            return;
        }
        poll.stop();
        answer(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    poll.start(10);
    QtShellUi ui;
    return ui.ChooseFont(start);
}

QLineEdit* SizeField(FontDialog& dialog)
{
    for (QLineEdit* edit : dialog.findChildren<QLineEdit*>())
        if (edit->isVisible() && qobject_cast<const QDoubleValidator*>(edit->validator()))
            return edit;
    return nullptr;
}

void Click(FontDialog& dialog, QDialogButtonBox::StandardButton which)
{
    QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(which), Qt::LeftButton);
}

QFont Gothic(double points)
{
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPointSizeF(points);
    return font;
}

} // namespace

class FontDialogTest : public QObject {
    Q_OBJECT

private slots:
    void halfPointsAreOfferedAndKept()
    {
        // Started on 10.5, OK alone keeps 10.5 and the face.
        QString shown;
        auto chosen = ChooseWith(Gothic(10.5), [&](FontDialog& dialog) {
            shown = SizeField(dialog)->text();
            Click(dialog, QDialogButtonBox::Ok);
        });
        QCOMPARE(shown, QStringLiteral("10.5"));
        QVERIFY(chosen);
        QCOMPARE(chosen->pointSizeF(), 10.5);
        QCOMPARE(chosen->family(), QStringLiteral("IPAPGothic"));

        // Picked from the list, then kept through a change of face.
        QStringList offered;
        chosen = ChooseWith(Gothic(11), [&](FontDialog& dialog) {
            auto* list = dialog.findChild<QListWidget*>();
            for (int row = 0; row < list->count(); ++row)
                offered << list->item(row)->text();
            QListWidgetItem* half = list->findItems(QStringLiteral("10.5"), Qt::MatchExactly).value(0);
            if (!half)
                return;
            list->scrollToItem(half);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(half).center());
            QListView* faces = dialog.findChild<QListView*>(); // Qt's first list
            const QModelIndexList mincho =
                faces->model()->match(faces->model()->index(0, 0), Qt::DisplayRole, QStringLiteral("IPAPMincho"));
            if (mincho.isEmpty())
                return;
            faces->scrollTo(mincho.front());
            QTest::mouseClick(faces->viewport(), Qt::LeftButton, {}, faces->visualRect(mincho.front()).center());
            Click(dialog, QDialogButtonBox::Ok);
        });
        QVERIFY2(offered.contains(QStringLiteral("10.5")) && offered.contains(QStringLiteral("12")),
                 qPrintable(offered.join(' ')));
        QVERIFY(chosen);
        QCOMPARE(chosen->family(), QStringLiteral("IPAPMincho"));
        QCOMPARE(chosen->pointSizeF(), 10.5);

        // Typed into the size field.
        chosen = ChooseWith(Gothic(9), [&](FontDialog& dialog) {
            QLineEdit* size = SizeField(dialog);
            size->setFocus();
            size->selectAll();
            QTest::keyClicks(size, QStringLiteral("10.5"));
            Click(dialog, QDialogButtonBox::Ok);
        });
        QVERIFY(chosen);
        QCOMPARE(chosen->pointSizeF(), 10.5);
    }

    // The sample shows kana and kanji in the face and size being chosen,
    // also after the face changes.
    void sampleShowsJapaneseInTheChosenFont()
    {
        QString text;
        QFont first;
        QFont second;
        ChooseWith(Gothic(10.5), [&](FontDialog& dialog) {
            QLineEdit* sample = nullptr;
            for (QLineEdit* edit : dialog.findChildren<QLineEdit*>())
                if (edit->isVisible() && !edit->validator())
                    sample = edit;
            if (!sample)
                return;
            text = sample->text();
            first = sample->font();
            QListView* faces = dialog.findChild<QListView*>();
            const QModelIndexList mincho =
                faces->model()->match(faces->model()->index(0, 0), Qt::DisplayRole, QStringLiteral("IPAPMincho"));
            if (mincho.isEmpty())
                return;
            faces->scrollTo(mincho.front());
            QTest::mouseClick(faces->viewport(), Qt::LeftButton, {}, faces->visualRect(mincho.front()).center());
            second = sample->font();
        });
        QCOMPARE(text, QStringLiteral("あア亜 Aa 12"));
        QCOMPARE(first.family(), QStringLiteral("IPAPGothic"));
        QCOMPARE(first.pointSizeF(), 10.5);
        QCOMPARE(second.family(), QStringLiteral("IPAPMincho"));
        QCOMPARE(second.pointSizeF(), 10.5);
    }

    void cancelChoosesNothing()
    {
        const auto chosen = ChooseWith(Gothic(10.5), [&](FontDialog& dialog) {
            QTest::keyClicks(SizeField(dialog), QStringLiteral("2"));
            Click(dialog, QDialogButtonBox::Cancel);
        });
        QVERIFY(!chosen);
    }
};

QTEST_MAIN(FontDialogTest)
#include "FontDialogTest.moc"
