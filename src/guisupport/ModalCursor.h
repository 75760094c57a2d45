#pragma once
// A wait cursor is an override cursor held for a whole operation; a
// message box or dialog that the operation opens must show the ordinary
// arrow. Every modal message and dialog of both deliverables goes
// through here.
class QDialog;

namespace mirovan {

// While alive, an override cursor in force is covered by the arrow.
class ArrowCursorWhileModal {
public:
    ArrowCursorWhileModal();
    ~ArrowCursorWhileModal();
    ArrowCursorWhileModal(const ArrowCursorWhileModal&) = delete;
    ArrowCursorWhileModal& operator=(const ArrowCursorWhileModal&) = delete;

private:
    bool m_covered = false;
};

// Runs the dialog modally with the arrow cursor; returns its result code.
// A message box's accessible description becomes its whole text.
int ExecModal(QDialog& dialog);

} // namespace mirovan
