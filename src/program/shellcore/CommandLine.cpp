#include "program/shellcore/CommandLine.h"

namespace mirovan::shell {
namespace {

constexpr const char* kLauncher = "/BYLINK";
constexpr const char* kFileMarker = "/file:\"";
constexpr const char* kMemberMarker = "/member:";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

} // namespace

std::string AsciiUpper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string JoinArguments(const std::vector<std::string>& arguments)
{
    // The launcher's line is rebuilt as the platform hands it over: its
    // own quotes only around the path. Quoting an argument again would
    // glue a quote to the path, and the member code's blanks are its own.
    const bool launcher = !arguments.empty() && AsciiUpper(arguments.front().substr(0, 7)) == kLauncher;
    const std::string fileTag = std::string(kFileMarker).substr(0, 6);
    std::string line;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (!line.empty())
            line += ' ';
        if (launcher) {
            if (a.starts_with(fileTag) && !a.starts_with(kFileMarker)) {
                // A shell took the path's quotes off and split it at its
                // blanks: the path runs up to /member:, in quotes again.
                std::string path = a.substr(fileTag.size());
                while (i + 1 < arguments.size() && !arguments[i + 1].starts_with(kMemberMarker))
                    path += ' ' + arguments[++i];
                line += kFileMarker + path + '"';
            } else {
                line += a;
            }
        } else if (a.find(' ') != std::string::npos) {
            line += '"' + a + '"';
        } else {
            line += a;
        }
    }
    return line;
}

StartupFile ReadCommandLine(const std::string& commandLine, const std::string& groupSetting)
{
    StartupFile out;
    std::string candidate;
    if (AsciiUpper(commandLine.substr(0, 7)) == kLauncher) {
        const size_t file = commandLine.find(kFileMarker);
        const size_t member = commandLine.find(kMemberMarker);
        // Only the well-formed order names a path; a line without the
        // file marker, or with the member before it, opens the Group
        // setting's group as an empty line would.
        if (file != std::string::npos && member != std::string::npos && member > file) {
            out.memberCode = commandLine.substr(member + 8);
            std::string path = commandLine.substr(file + 7, member - (file + 7));
            while (!path.empty() && IsBlank(path.back()))
                path.pop_back();
            if (!path.empty() && path.back() == '"')
                path.pop_back();
            candidate = path;
        } else if (file != std::string::npos) {
            std::string path = commandLine.substr(file + 7);
            while (!path.empty() && IsBlank(path.back()))
                path.pop_back();
            if (!path.empty() && path.back() == '"')
                path.pop_back();
            candidate = path;
        }
    } else {
        candidate = commandLine;
    }
    const bool named = !candidate.empty();
    if (!named)
        candidate = groupSetting;
    if (candidate.size() >= 2 && candidate.front() == '"' && candidate.back() == '"')
        candidate = candidate.substr(1, candidate.size() - 2);

    const size_t dot = candidate.rfind('.');
    const std::string extension = AsciiUpper(dot == std::string::npos ? candidate : candidate.substr(dot + 1));
    if (extension == "GROUP") {
        out.groupPath = candidate;
        out.result = 1;
    } else if (extension == "SCH") {
        const std::string base = candidate.substr(0, dot);
        out.groupPath = (base.size() > 6 ? base.substr(0, base.size() - 6) : std::string()) + ".group";
        out.result = 1;
    } else if (extension == "MVP" && named) {
        out.personalPath = candidate;
    }
    return out;
}

} // namespace mirovan::shell
