#pragma once
// Qt's own texts (standard buttons, file, print and font dialogs) in
// Japanese, like the rest of the program.

namespace mirovan {

// Installs qtbase_ja from Qt's translations folder once per process,
// with our own texts for what it leaves in English; false when the file
// is missing (Qt then speaks English).
bool InstallQtTranslations();

} // namespace mirovan
