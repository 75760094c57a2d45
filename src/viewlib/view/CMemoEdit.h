#pragma once
// The in-place memo editor over a day cell. There is no cancel: every
// way out keeps what was typed.
#include <QPlainTextEdit>

namespace mirovan::view {

class CMonthView;

class CMemoEdit : public QPlainTextEdit {
public:
    CMemoEdit(CMonthView* view, const QFont& font);

    // The text as the cell keeps it: code page 932 is applied by the view;
    // this gives the lines joined by CR LF.
    QString CellText() const;
    void SetCellText(const QString& textWithCrLf);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    CMonthView* m_view;
};

} // namespace mirovan::view
