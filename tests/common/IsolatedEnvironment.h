#pragma once
// The one place that points the programs' home, settings, data and log at a
// test's own folder, so that no test touches the real ones.
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mirovan::test {

// Sets HOME, XDG_CONFIG_HOME, XDG_CONFIG_DIRS, XDG_DATA_HOME and TAVRIC_LOG
// to places under root and puts back what was there when destroyed, so a
// test that narrows one of them leaves the others' setting alone.
class IsolatedEnvironment {
public:
    explicit IsolatedEnvironment(const std::filesystem::path& root)
    {
        Set("HOME", root.string());
        Set("XDG_CONFIG_HOME", (root / "config").string());
        Set("XDG_CONFIG_DIRS", (root / "etc-xdg").string());
        Set("XDG_DATA_HOME", (root / "data").string());
        Set("TAVRIC_LOG", (root / "tavric.log").string());
    }
    ~IsolatedEnvironment()
    {
        // Newest first, so a variable touched twice ends at its first value.
        for (auto saved = m_saved.rbegin(); saved != m_saved.rend(); ++saved) {
            if (saved->second)
                ::setenv(saved->first.c_str(), saved->second->c_str(), 1);
            else
                ::unsetenv(saved->first.c_str());
        }
    }
    IsolatedEnvironment(const IsolatedEnvironment&) = delete;
    IsolatedEnvironment& operator=(const IsolatedEnvironment&) = delete;

    void Set(const std::string& name, const std::string& value)
    {
        Save(name);
        ::setenv(name.c_str(), value.c_str(), 1);
    }
    void Unset(const std::string& name)
    {
        Save(name);
        ::unsetenv(name.c_str());
    }
    // A search path such as XDG_CONFIG_DIRS: the folders in order, joined by ':'.
    void SetFolders(const std::string& name, std::initializer_list<std::filesystem::path> folders)
    {
        std::string joined;
        for (const auto& folder : folders) {
            if (!joined.empty())
                joined += ':';
            joined += folder.string();
        }
        Set(name, joined);
    }

private:
    void Save(const std::string& name)
    {
        const char* current = std::getenv(name.c_str());
        m_saved.emplace_back(name, current ? std::optional<std::string>(current) : std::nullopt);
    }

    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

} // namespace mirovan::test
