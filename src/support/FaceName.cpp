#include "support/FaceName.h"

#include "support/Codepage.h"

#include <cstring>

namespace mirovan {

void SetFaceName(char (&field)[64], const std::string& cp932)
{
    std::memset(field, 0, sizeof field);
    const std::string_view plain = std::string_view(cp932).substr(0, cp932.find('\0'));
    std::memcpy(field, plain.data(), codepage::WholeCharacterPrefix(plain, sizeof field - 1));
}

} // namespace mirovan
