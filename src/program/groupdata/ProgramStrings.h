#pragma once
// The program's numbered texts (the string table of resources/program.json).
#include <string_view>

namespace mirovan {

constexpr unsigned kFatalScheduleError = 57381; // printf form: code, entry index

// UTF-8, null-terminated; empty for an id the table lacks.
std::string_view ProgramString(unsigned id);

} // namespace mirovan
