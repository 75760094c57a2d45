#pragma once
// The view library's dialog templates and strings, from its resources.
#include "guisupport/DialogTemplate.h"

#include <QStringList>

namespace mirovan::view {

DialogTemplate LoadDialogTemplate(int id);
QStringList ResourceStrings(const QString& name);

} // namespace mirovan::view
