#include "viewlib/view/CMemoEdit.h"

#include "viewlib/view/CMonthView.h"

#include <QKeyEvent>

namespace mirovan::view {

CMemoEdit::CMemoEdit(CMonthView* view, const QFont& font) : QPlainTextEdit(view), m_view(view)
{
    setObjectName(QStringLiteral("memoEdit"));
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    // A cell is small: the editor scrolls to the cursor by itself instead.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(false);
    setFont(font);
}

QString CMemoEdit::CellText() const
{
    QString text = toPlainText();
    text.replace(QChar('\n'), QStringLiteral("\r\n"));
    return text;
}

void CMemoEdit::SetCellText(const QString& textWithCrLf)
{
    QString text = textWithCrLf;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setPlainText(text);
    moveCursor(QTextCursor::End);
}

void CMemoEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Tab) {
        m_view->EndEdit();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CMemoEdit::focusOutEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusOutEvent(event);
    // A context menu of the editor itself is no leaving.
    if (event->reason() != Qt::PopupFocusReason)
        m_view->EndEdit();
}

} // namespace mirovan::view
