#pragma once
// The About box (dialog 101), the key list (dialog 131) and the
// first-start message (dialog 121).
#include <QDialog>
#include <memory>

namespace mirovan::shell {

// A modal dialog built from a template; its OK button (id 1) accepts.
std::unique_ptr<QDialog> BuildTemplateDialog(int id, QWidget* owner);
inline std::unique_ptr<QDialog> BuildAboutDialog(QWidget* owner) { return BuildTemplateDialog(101, owner); }
// The keys of the program as a read-only table, from the same list the
// README shows.
std::unique_ptr<QDialog> BuildKeyListDialog(QWidget* owner);
inline std::unique_ptr<QDialog> BuildFirstStartDialog(QWidget* owner) { return BuildTemplateDialog(121, owner); }

} // namespace mirovan::shell
