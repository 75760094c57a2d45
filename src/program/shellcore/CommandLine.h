#pragma once
// The command line: which group or personal file to open at start and,
// when the group scheduler starts the program, which member to select.
#include <string>
#include <vector>

namespace mirovan::shell {

// The program's arguments as one line: joined by single blanks, each
// argument that contains a blank in double quotes.
std::string JoinArguments(const std::vector<std::string>& arguments);

struct StartupFile {
    std::string groupPath;  // G: empty when nothing is to be opened
    std::string memberCode; // M: from the launcher form only
    // A personal file (*.mvp) the line names, as the file manager passes
    // it: opened as the personal file in use.
    std::string personalPath;
    int result = 0; // 1 for a group or monthly schedule file
};

// groupSetting is the Group setting, used when the line names nothing.
StartupFile ReadCommandLine(const std::string& commandLine, const std::string& groupSetting);

// Upper case of the ASCII letters only: the other bytes of a code page
// 932 or UTF-8 text are left as they are, so trail bytes never change.
std::string AsciiUpper(std::string text);

} // namespace mirovan::shell
