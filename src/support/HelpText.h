#pragma once
// What --help and --version print, the same way in both programs.
#include <string>

namespace mirovan {

// Japanese, the programs' language, unless the locale names another
// language (LC_ALL, else LC_MESSAGES, else LANG, as setlocale reads them).
bool LocaleIsJapanese();

// The Japanese or the English text, as the locale says.
const char* ChooseText(const char* japanese, const char* english);

// "NAME VERSION", the build's version, and a newline.
std::string VersionLine(const char* name);

} // namespace mirovan
