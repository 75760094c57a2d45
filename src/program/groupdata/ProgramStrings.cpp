#include "program/groupdata/ProgramStrings.h"

#include <algorithm>
#include <iterator>

namespace mirovan {
namespace {

struct Entry {
    unsigned id;
    std::string_view text;
};

constexpr Entry kTable[] = {
#include "ProgramStrings.inc"
};

} // namespace

std::string_view ProgramString(unsigned id)
{
    const auto* it = std::find_if(std::begin(kTable), std::end(kTable), [id](const Entry& e) { return e.id == id; });
    return it == std::end(kTable) ? std::string_view("", 0) : it->text;
}

} // namespace mirovan
