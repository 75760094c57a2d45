#pragma once
// The view library's dialog templates and strings, from its resources.
#include "guisupport/DialogTemplate.h"

#include <QStringList>

namespace mirovan::view {

DialogTemplate LoadDialogTemplate(int id);
QStringList ResourceStrings(const QString& name);
// One text of the string table.
QString ResourceString(const QString& name);

} // namespace mirovan::view
