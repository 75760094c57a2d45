#pragma once
// What keeps a window from being used by its letters alone: a button,
// check box or labelled field with no mnemonic, or two sharing one.
#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QKeySequence>
#include <QLabel>
#include <QMap>
#include <QStringList>
#include <QWidget>

namespace mirovan::test {

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
