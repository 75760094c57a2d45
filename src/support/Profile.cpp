#include "support/Profile.h"

#include "support/FileError.h"
#include "support/ProductFolders.h"
#include "support/ProductNames.h"
#include "support/platform/Platform.h"

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <vector>

namespace mirovan::profile {
namespace {

bool SameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string Trim(const std::string& s)
{
    const size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// Where a key's line is, and where its section ends.
struct Location {
    std::optional<size_t> keyLine;
    std::optional<size_t> sectionEnd; // one past the section's last line
};

Location Find(const std::vector<std::string>& lines, const std::string& section, const std::string& key)
{
    Location at;
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string line = Trim(lines[i]);
        if (!line.empty() && line.front() == '[') {
            const size_t close = line.find(']');
            inSection = close != std::string::npos && SameName(Trim(line.substr(1, close - 1)), section);
            if (inSection)
                at.sectionEnd = i + 1;
            continue;
        }
        if (!inSection)
            continue;
        at.sectionEnd = i + 1;
        const size_t eq = line.find('=');
        if (!at.keyLine && eq != std::string::npos && SameName(Trim(line.substr(0, eq)), key))
            at.keyLine = i;
    }
    return at;
}

} // namespace

std::string ProfilePath() { return platform::JoinPath(settings::ConfigFolder(), settings::kProfileFile); }

uint32_t ReadNumber(const std::string& section, const std::string& key, uint32_t defaultValue)
{
    const auto text = platform::ReadSmallFile(ProfilePath());
    if (!text)
        return defaultValue;
    const auto lines = Lines(*text);
    const Location at = Find(lines, section, key);
    if (!at.keyLine)
        return defaultValue;
    const std::string& line = lines[*at.keyLine];
    const std::string value = Trim(line.substr(line.find('=') + 1));
    // Like the platform: the leading digits count, nothing else.
    return static_cast<uint32_t>(std::strtoll(value.c_str(), nullptr, 10));
}

bool WriteNumber(const std::string& section, const std::string& key, uint32_t value)
{
    const std::string path = ProfilePath();
    if (!platform::MakeDirectories(platform::ParentFolder(path)))
        return false;
    platform::ProcessLock lock(path + ".lock", std::chrono::seconds(10));
    if (!lock.Held())
        return false;
    auto lines = Lines(platform::ReadSmallFile(path).value_or(""));
    const std::string entry = key + "=" + std::to_string(value);
    const Location at = Find(lines, section, key);
    if (at.keyLine) {
        // Keep the key's spelling as the file has it.
        const std::string& old = lines[*at.keyLine];
        lines[*at.keyLine] = Trim(old.substr(0, old.find('='))) + "=" + std::to_string(value);
    } else if (at.sectionEnd) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*at.sectionEnd), entry);
    } else {
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    }
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    try {
        platform::ReplacingFile file(path);
        file.Write(text.data(), text.size());
        file.Commit();
        return true;
    } catch (const CFileException&) {
        return false;
    }
}

} // namespace mirovan::profile
