#include "publish/OutputFolder.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mirovan::publish {
namespace {

std::string Cause(const std::string& what, const std::string& path)
{
    return what + "「" + path + "」: " + std::strerror(errno);
}

// The file's bytes when it is a regular file of exactly size bytes.
bool SameContent(const std::string& path, const std::string& bytes)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || static_cast<size_t>(st.st_size) != bytes.size())
        return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::string old(bytes.size(), '\0');
    size_t done = 0;
    while (done < old.size()) {
        const ssize_t n = ::read(fd, old.data() + done, old.size() - done);
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    return done == old.size() && old == bytes;
}

} // namespace

OutputFolder::OutputFolder(std::string root) : m_root(std::move(root)), m_pid(std::to_string(::getpid()))
{
    while (m_root.size() > 1 && m_root.back() == '/')
        m_root.pop_back();
    if (::mkdir(m_root.c_str(), 0755) != 0 && errno != EEXIST)
        throw PublishError(Cause("フォルダーを作れません", m_root));
    struct stat st {};
    if (::stat(m_root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        throw PublishError("「" + m_root + "」はフォルダーではありません。");
}

void OutputFolder::MakeFolders(const std::string& relative)
{
    if (relative.empty() || m_madeFolders.count(relative))
        return;
    const size_t slash = relative.rfind('/');
    if (slash != std::string::npos)
        MakeFolders(relative.substr(0, slash));
    const std::string path = m_root + "/" + relative;
    const bool made = ::mkdir(path.c_str(), 0755) == 0;
    if (!made && errno != EEXIST)
        throw PublishError(Cause("フォルダーを作れません", path));
    // A link planted in the tree would lead the writes out of it.
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        throw PublishError("「" + path + "」はフォルダーではありません（リンクはたどりません）。");
    m_madeFolders.insert(relative);
    // Nothing but this publisher writes in a folder it has just made, so
    // its files need no look at what was there: a first publish is one
    // write and one rename per file.
    if (made)
        m_newFolders.insert(relative);
}

bool OutputFolder::Write(const std::string& relative, const std::string& bytes)
{
    const size_t slash = relative.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : relative.substr(0, slash);
    const std::string name = relative.substr(slash == std::string::npos ? 0 : slash + 1);
    MakeFolders(folder);
    const std::string path = m_root + "/" + relative;
    if (!m_newFolders.count(folder) && SameContent(path, bytes))
        return false;
    // A dot name that ends in neither .ics nor .html: no reader of the
    // folder takes it for one of the published files.
    const std::string temp = (folder.empty() ? m_root : m_root + "/" + folder) + "/." + name + "." + m_pid + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        throw PublishError(Cause("ファイルを書けません", temp));
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    const bool whole = done == bytes.size();
    const int writeErrno = errno;
    if (::close(fd) != 0 || !whole) {
        if (whole == false)
            errno = writeErrno;
        const std::string message = Cause("ファイルを書けません", path);
        ::unlink(temp.c_str());
        throw PublishError(message);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const std::string message = Cause("ファイルを置き換えられません", path);
        ::unlink(temp.c_str());
        throw PublishError(message);
    }
    ++m_written;
    return true;
}

int OutputFolder::RemoveOthers(const std::string& folder, const std::string& suffix, const std::set<std::string>& keep)
{
    return RemoveOthers(
        folder,
        [&](std::string_view name) {
            return name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
        },
        keep);
}

int OutputFolder::RemoveOthers(const std::string& folder, const std::function<bool(std::string_view)>& ours,
                               const std::set<std::string>& keep)
{
    const std::string path = folder.empty() ? m_root : m_root + "/" + folder;
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return 0;
    std::set<std::string> gone;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name[0] == '.' || !ours(name) || keep.count(name))
            continue;
        gone.insert(name);
    }
    ::closedir(dir);
    int removed = 0;
    for (const std::string& name : gone) {
        struct stat st {};
        const std::string file = path + "/" + name;
        if (::lstat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(file.c_str()) == 0)
            ++removed;
    }
    m_removed += removed;
    return removed;
}

std::vector<std::string> OutputFolder::Subfolders(const std::string& folder) const
{
    std::vector<std::string> names;
    const std::string path = folder.empty() ? m_root : m_root + "/" + folder;
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        struct stat st {};
        if (name[0] != '.' && ::lstat((path + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

int OutputFolder::RemoveFolder(const std::string& folder)
{
    const std::string path = m_root + "/" + folder;
    struct stat st {};
    if (folder.empty() || ::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return 0;
    int removed = RemoveOthers(folder, ".ics", {}) + RemoveOthers(folder, ".html", {});
    ::rmdir(path.c_str());
    m_madeFolders.erase(folder);
    m_newFolders.erase(folder);
    return removed;
}

} // namespace mirovan::publish
