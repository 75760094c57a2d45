#include "support/HelpText.h"

#include "support/Version.h"
#include "support/platform/Platform.h"

namespace mirovan {

bool LocaleIsJapanese()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const std::string value = platform::GetEnv(name);
        if (value.empty())
            continue;
        // C and POSIX name no language: the programs' own then.
        return value == "C" || value == "POSIX" || value.rfind("C.", 0) == 0 || value.rfind("ja", 0) == 0;
    }
    return true;
}

const char* ChooseText(const char* japanese, const char* english) { return LocaleIsJapanese() ? japanese : english; }

std::string VersionLine(const char* name) { return std::string(name) + ' ' + kVersion + '\n'; }

} // namespace mirovan
