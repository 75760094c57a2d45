#include "support/platform/Platform.h"

#include "support/FileError.h"
#include "support/Utf.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace mirovan::platform {

InputFile::InputFile(const std::string& path) : path_(path)
{
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        const int err = errno;
        throw CFileException(FileCauseFromErrno(err), err, path);
    }
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        throw CFileException(kFileAccessDenied, EISDIR, path);
    }
}

InputFile::~InputFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

size_t InputFile::ReadSome(char* buffer, size_t size)
{
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, size);
        if (n >= 0) {
            position_ += static_cast<uint64_t>(n);
            return static_cast<size_t>(n);
        }
        if (errno != EINTR) {
            const int err = errno;
            throw CFileException(err == EIO ? kFileHardIO : FileCauseFromErrno(err), err, path_);
        }
    }
}

uint64_t InputFile::BytesLeft()
{
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || static_cast<uint64_t>(st.st_size) < position_)
        return 0;
    return static_cast<uint64_t>(st.st_size) - position_;
}

bool InputFile::TryLockExclusive()
{
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

ReplacingFile::ReplacingFile(const std::string& path) : path_(path)
{
    std::string templ = JoinPath(ParentFolder(path), ".mirovan-XXXXXX");
    fd_ = ::mkstemp(templ.data());
    if (fd_ < 0) {
        const int err = errno;
        throw CFileException(FileCauseFromErrno(err), err, path);
    }
    tempPath_ = templ;
    // Keep the permissions of the file being replaced, else the usual ones.
    struct stat st {};
    const mode_t mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : [] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    ::fchmod(fd_, mode);
}

ReplacingFile::~ReplacingFile()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!committed_ && !tempPath_.empty())
        ::unlink(tempPath_.c_str());
}

void ReplacingFile::Write(const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            throw CFileException(FileCauseFromErrno(err), err, path_);
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
}

void ReplacingFile::Commit()
{
    // A read-only target stays protected, as it would be from a direct write.
    if (::access(path_.c_str(), F_OK) == 0 && ::access(path_.c_str(), W_OK) != 0)
        throw CFileException(kFileAccessDenied, EACCES, path_);
    if (::fsync(fd_) != 0 || ::close(fd_) != 0) {
        const int err = errno;
        fd_ = -1;
        throw CFileException(FileCauseFromErrno(err), err, path_);
    }
    fd_ = -1;
    if (::rename(tempPath_.c_str(), path_.c_str()) != 0) {
        const int err = errno;
        throw CFileException(FileCauseFromErrno(err), err, path_);
    }
    committed_ = true;
}

ProcessLock::ProcessLock(const std::string& lockPath, std::chrono::milliseconds wait)
{
    fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0)
        return;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            held_ = true;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR)
            return;
        if (std::chrono::steady_clock::now() >= deadline)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

ProcessLock::~ProcessLock()
{
    if (fd_ >= 0) {
        if (held_)
            ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
}

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool IsReadOnlyFile(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    return (st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0;
}

std::optional<std::string> ReadSmallFile(const std::string& path)
{
    try {
        InputFile file(path);
        std::string out;
        char buffer[8192];
        while (const size_t n = file.ReadSome(buffer, sizeof buffer))
            out.append(buffer, n);
        return out;
    } catch (const CFileException&) {
        return std::nullopt;
    }
}

bool MakeDirectories(const std::string& path)
{
    if (path.empty())
        return false;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const std::string parent = ParentFolder(path);
    if (!parent.empty() && parent != path && !MakeDirectories(parent))
        return false;
    return ::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}

bool RenameFile(const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()) == 0; }

std::string ParentFolder(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string PathForMessage(std::string_view path) { return utf::ReplaceInvalidUtf8(path); }

std::string GetEnv(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string LoginName()
{
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name)
        return pw->pw_name;
    if (std::string user = GetEnv("USER"); !user.empty())
        return user;
    return GetEnv("LOGNAME");
}

std::string HomeFolder()
{
    if (std::string home = GetEnv("HOME"); !home.empty())
        return home;
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/tmp";
}

std::string ExecutableFolder()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return ".";
    return ParentFolder(std::string(buffer, static_cast<size_t>(n)));
}

std::string ConfigHome()
{
    const std::string v = GetEnv("XDG_CONFIG_HOME");
    return !v.empty() && v[0] == '/' ? v : JoinPath(HomeFolder(), ".config");
}

std::string FirstConfigDir()
{
    const std::string v = GetEnv("XDG_CONFIG_DIRS");
    const std::string first = v.substr(0, v.find(':'));
    return !first.empty() && first[0] == '/' ? first : "/etc/xdg";
}

std::string DataHome()
{
    const std::string v = GetEnv("XDG_DATA_HOME");
    return !v.empty() && v[0] == '/' ? v : JoinPath(HomeFolder(), ".local/share");
}

bool AppendToExistingFile(const std::string& path, const std::string& data, std::chrono::milliseconds lockWait)
{
    // Non-blocking open, so that a FIFO in the file's place cannot hang us.
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + lockWait;
    bool locked = false;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            locked = true;
            break;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    // One write: with O_APPEND it lands whole at the end even unlocked.
    ssize_t n;
    do
        n = ::write(fd, data.data(), data.size());
    while (n < 0 && errno == EINTR);
    if (locked)
        ::flock(fd, LOCK_UN);
    const bool closed = ::close(fd) == 0;
    return n == static_cast<ssize_t>(data.size()) && closed;
}

} // namespace mirovan::platform
