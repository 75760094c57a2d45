#include "publish/OutputFolder.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace mirovan::publish {
namespace {

std::string Cause(const std::string& what, const std::string& path)
{
    return what + "「" + path + "」: " + std::strerror(errno);
}

// The file's bytes when it is a regular file of exactly size bytes.
bool SameContent(int dir, const std::string& name, const std::string& bytes)
{
    const int fd = ::openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool same = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<size_t>(st.st_size) == bytes.size();
    if (same) {
        std::string old(bytes.size(), '\0');
        size_t done = 0;
        while (done < old.size()) {
            const ssize_t n = ::read(fd, old.data() + done, old.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += static_cast<size_t>(n);
        }
        same = done == old.size() && old == bytes;
    }
    ::close(fd);
    return same;
}

// Writes all of bytes to fd and closes it; false with errno on failure.
bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            break;
        }
        done += static_cast<size_t>(n);
    }
    const int writeErrno = errno;
    const bool closed = ::close(fd) == 0;
    if (done != bytes.size()) {
        errno = writeErrno;
        return false;
    }
    return closed;
}

std::string Joined(const std::string& folder, const std::string& name)
{
    return folder.empty() ? name : folder + "/" + name;
}

} // namespace

OutputFolder::OutputFolder(std::string root) : m_root(std::move(root)), m_pid(std::to_string(::getpid()))
{
    while (m_root.size() > 1 && m_root.back() == '/')
        m_root.pop_back();
    MakeRoot();
}

void OutputFolder::MakeRoot()
{
    if (::mkdir(m_root.c_str(), 0755) != 0 && errno != EEXIST)
        throw PublishError(Cause("フォルダーを作れません", m_root));
    struct stat st {};
    if (::stat(m_root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        throw PublishError("「" + m_root + "」はフォルダーではありません。");
}

bool OutputFolder::HasFolder(const std::string& relative) const
{
    struct stat st {};
    const std::string path = Shown(relative);
    return (relative.empty() ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) == 0 && S_ISDIR(st.st_mode);
}

OutputFolder::~OutputFolder()
{
    Abandon();
    CloseFolderFd();
}

void OutputFolder::StartPublish()
{
    m_written = m_removed = 0;
    Abandon();
    CloseFolderFd();
    m_newFolders.clear();
    m_madeFolders.clear();
    MakeRoot();
}

std::string OutputFolder::Shown(const std::string& folder) const
{
    return folder.empty() ? m_root : m_root + "/" + folder;
}

std::string OutputFolder::PathOf(const std::string& folder) const
{
    if (!m_hidden.empty()) {
        // Only the topmost new folder has a hidden name; its own folders
        // are made inside it under their names.
        for (size_t end = folder.find('/');; end = folder.find('/', end + 1)) {
            const auto it = m_hidden.find(folder.substr(0, end));
            if (it != m_hidden.end())
                return m_root + "/" + it->second + (end == std::string::npos ? std::string() : folder.substr(end));
            if (end == std::string::npos)
                break;
        }
    }
    return folder.empty() ? m_root : m_root + "/" + folder;
}

void OutputFolder::CloseFolderFd()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_fdFolder.clear();
}

int OutputFolder::FolderFd(const std::string& folder)
{
    if (m_fd >= 0 && m_fdFolder == folder)
        return m_fd;
    CloseFolderFd();
    const std::string path = PathOf(folder);
    // The root may be a link its owner made; nothing below it may.
    m_fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (folder.empty() ? 0 : O_NOFOLLOW));
    if (m_fd < 0)
        throw PublishError(Cause("フォルダーを開けません", Shown(folder)));
    m_fdFolder = folder;
    return m_fd;
}

void OutputFolder::MakeFolders(const std::string& relative)
{
    if (relative.empty() || m_madeFolders.count(relative))
        return;
    const size_t slash = relative.rfind('/');
    const std::string parent = slash == std::string::npos ? std::string() : relative.substr(0, slash);
    const std::string name = relative.substr(slash == std::string::npos ? 0 : slash + 1);
    MakeFolders(parent);
    const std::string parentPath = PathOf(parent);
    const std::string path = parentPath + "/" + name;
    struct stat st {};
    if (m_newFolders.count(parent)) {
        // Inside a folder still hidden: nobody sees it before Finish.
        if (::mkdir(path.c_str(), 0755) != 0)
            throw PublishError(Cause("フォルダーを作れません", Shown(relative)));
        m_newFolders.insert(relative);
    } else if (::lstat(path.c_str(), &st) == 0) {
        // A link planted in the tree would lead the writes out of it.
        if (!S_ISDIR(st.st_mode))
            throw PublishError("「" + path + "」はフォルダーではありません（リンクはたどりません）。");
    } else if (errno == ENOENT) {
        // A dot name no reader of the folder takes for a published one.
        const std::string hidden = Joined(parent, "." + name + "." + m_pid + ".new");
        const std::string hiddenPath = parentPath + "/." + name + "." + m_pid + ".new";
        if (::mkdir(hiddenPath.c_str(), 0755) != 0)
            throw PublishError(Cause("フォルダーを作れません", Shown(relative)));
        m_hidden[relative] = hidden;
        // Nothing but this publisher writes in a folder it has just made,
        // so its files need no look at what was there.
        m_newFolders.insert(relative);
    } else {
        throw PublishError(Cause("フォルダーを作れません", path));
    }
    m_madeFolders.insert(relative);
}

void OutputFolder::Finish()
{
    CloseFolderFd();
    while (!m_hidden.empty()) {
        const auto [relative, hidden] = *m_hidden.begin();
        const std::string from = m_root + "/" + hidden;
        const std::string to = m_root + "/" + relative;
        // Into an empty folder made meanwhile is fine; over files, not.
        if (::rename(from.c_str(), to.c_str()) != 0) {
            const std::string message = Cause("フォルダーを置けません", to);
            Abandon();
            throw PublishError(message);
        }
        m_hidden.erase(m_hidden.begin());
    }
}

void OutputFolder::Abandon() noexcept
{
    if (m_hidden.empty())
        return;
    CloseFolderFd();
    for (const auto& [relative, hidden] : m_hidden) {
        std::error_code ignored;
        std::filesystem::remove_all(m_root + "/" + hidden, ignored);
    }
    m_hidden.clear();
    // What was made in them is gone with them.
    m_madeFolders.clear();
    m_newFolders.clear();
}

bool OutputFolder::Write(const std::string& relative, const std::string& bytes)
{
    const size_t slash = relative.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : relative.substr(0, slash);
    const std::string name = relative.substr(slash == std::string::npos ? 0 : slash + 1);
    MakeFolders(folder);
    const int dir = FolderFd(folder);
    if (m_newFolders.count(folder)) {
        const int fd = ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0) {
            if (!WriteAll(fd, bytes))
                throw PublishError(Cause("ファイルを書けません", Shown(folder) + "/" + name));
            ++m_written;
            return true;
        }
        if (errno != EEXIST)
            throw PublishError(Cause("ファイルを書けません", Shown(folder) + "/" + name));
        // Written before in this publish: replaced as anywhere else.
    } else if (SameContent(dir, name, bytes)) {
        return false;
    }
    WriteReplacing(dir, folder, name, bytes);
    ++m_written;
    return true;
}

void OutputFolder::WriteReplacing(int dir, const std::string& folder, const std::string& name, const std::string& bytes)
{
    // A dot name that ends in neither .ics nor .html: no reader of the
    // folder takes it for one of the published files.
    const std::string temp = "." + name + "." + m_pid + ".tmp";
    const int fd = ::openat(dir, temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        throw PublishError(Cause("ファイルを書けません", Shown(folder) + "/" + name));
    if (!WriteAll(fd, bytes)) {
        const std::string message = Cause("ファイルを書けません", Shown(folder) + "/" + name);
        ::unlinkat(dir, temp.c_str(), 0);
        throw PublishError(message);
    }
    if (::renameat(dir, temp.c_str(), dir, name.c_str()) != 0) {
        const std::string message = Cause("ファイルを置き換えられません", Shown(folder) + "/" + name);
        ::unlinkat(dir, temp.c_str(), 0);
        throw PublishError(message);
    }
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
    const std::string path = PathOf(folder);
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
    const std::string path = PathOf(folder);
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
    const std::string path = PathOf(folder);
    struct stat st {};
    if (folder.empty() || ::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return 0;
    int removed = RemoveOthers(folder, ".ics", {}) + RemoveOthers(folder, ".html", {});
    if (m_fdFolder == folder)
        CloseFolderFd();
    ::rmdir(path.c_str());
    m_hidden.erase(folder);
    m_madeFolders.erase(folder);
    m_newFolders.erase(folder);
    return removed;
}

} // namespace mirovan::publish
