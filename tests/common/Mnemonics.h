#pragma once
// What keeps a window from being used by its letters alone: a button,
// check box or labelled field with no mnemonic, or two sharing one.
#include <QAbstractButton>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QKeySequence>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QWidget>

namespace mirovan::test {

// A letter added to a text must leave the whole text in view; true when
// every label, button and check box under root shows all of its text.
inline bool ShowsEveryTextWhole(const QWidget& root)
{
    for (const QWidget* w : root.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&root))
            continue;
        QString shown;
        int room = 0;
        if (auto* label = qobject_cast<const QLabel*>(w); label && !label->wordWrap()) {
            shown = label->text();
            room = label->contentsRect().width();
        } else if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w)) {
            if (w->sizeHint().width() > w->width())
                return false;
        } else if (auto* button = qobject_cast<const QPushButton*>(w)) {
            shown = button->text();
            room = button->width() - 4; // the frame
        }
        shown.remove(QLatin1Char('&'));
        if (!shown.isEmpty() && w->fontMetrics().horizontalAdvance(shown) > room)
            return false;
    }
    return true;
}

// taken holds the texts that already use letters in the same window
// (menu titles). Icon buttons, which have no text, and the OK/Cancel
// row, which Enter and Escape reach, need none.
inline QStringList MnemonicProblems(const QWidget& root, const QStringList& taken = {})
{
    QStringList problems;
    QMap<QString, QString> owner;
    auto claim = [&](const QString& text) {
        const QString key = QKeySequence::mnemonic(text).toString();
        if (key.isEmpty())
            problems << QStringLiteral("no key: ") + text;
        else if (owner.contains(key))
            problems << QStringLiteral("%1 on both %2 and %3").arg(key, owner.value(key), text);
        else
            owner.insert(key, text);
    };
    for (const QString& text : taken)
        claim(text);
    for (const QWidget* w : root.findChildren<QWidget*>()) {
        if (auto* button = qobject_cast<const QAbstractButton*>(w)) {
            if (!button->text().isEmpty() && !qobject_cast<QDialogButtonBox*>(button->parentWidget()))
                claim(button->text());
        } else if (auto* label = qobject_cast<const QLabel*>(w)) {
            // A label naming a button leaves the key to the button.
            if (label->buddy() && !qobject_cast<QAbstractButton*>(label->buddy()))
                claim(label->text());
        }
    }
    return problems;
}

} // namespace mirovan::test
