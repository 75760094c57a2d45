#include "support/platform/Platform.h"

#include "support/FileError.h"
#include "support/Utf.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace mirovan::platform {

namespace {

FaultHook& Hook()
{
    static FaultHook hook;
    return hook;
}

// Throws the fault a test asked for at this step.
void InjectFault(FileStep step, const std::string& path)
{
    if (!Hook())
        return;
    if (const int err = Hook()(step, path))
        throw CFileException(err == EIO ? kFileHardIO : FileCauseFromErrno(err), err, path);
}

bool WriteAll(int fd, const char* data, size_t size, int& err)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

} // namespace

void SetFaultHook(FaultHook hook) { Hook() = std::move(hook); }

InputFile::InputFile(const std::string& path) : path_(path)
{
    InjectFault(FileStep::Open, path);
    // Non-blocking, so that a FIFO in the file's place cannot hang the open.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) {
        const int err = errno;
        throw CFileException(FileCauseFromErrno(err), err, path);
    }
    struct stat st {};
    int refusal = 0;
    int cause = kFileInvalid;
    if (::fstat(fd_, &st) != 0) {
        refusal = errno;
        cause = FileCauseFromErrno(refusal);
    } else if (S_ISDIR(st.st_mode)) {
        refusal = EISDIR;
        cause = kFileAccessDenied;
    } else if (!S_ISREG(st.st_mode)) {
        refusal = EINVAL;
    }
    if (refusal != 0) {
        ::close(fd_);
        fd_ = -1;
        throw CFileException(cause, refusal, path);
    }
    m_size = static_cast<uint64_t>(st.st_size);
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
}

InputFile::~InputFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

size_t InputFile::ReadSome(char* buffer, size_t size)
{
    // A file that grows while it is read is read as it was when opened.
    size = static_cast<size_t>(std::min<uint64_t>(size, m_size - std::min(m_size, position_)));
    if (size == 0)
        return 0;
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
    if (::fstat(fd_, &st) != 0)
        return 0;
    const uint64_t size = std::min(m_size, static_cast<uint64_t>(st.st_size));
    return size < position_ ? 0 : size - position_;
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

bool InputFile::LockExclusive(std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (TryLockExclusive())
            return true;
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool InputFile::IsStillAtPath() const
{
    struct stat open {};
    struct stat named {};
    return ::fstat(fd_, &open) == 0 && ::stat(path_.c_str(), &named) == 0 && open.st_dev == named.st_dev
        && open.st_ino == named.st_ino;
}

ReplacingFile::ReplacingFile(const std::string& path, UnwritableFolder unwritable, const std::string& spareFolder)
    : path_(path), m_spareFolder(spareFolder)
{
    struct stat st {};
    m_targetExisted = ::stat(path.c_str(), &st) == 0;
    std::string templ = JoinPath(ParentFolder(path), ".mirovan-XXXXXX");
    int err = 0;
    try {
        InjectFault(FileStep::CreateBeside, path);
        fd_ = ::mkstemp(templ.data());
        if (fd_ < 0)
            err = errno;
    } catch (const CFileException& ex) {
        err = ex.m_osError;
    }
    if (fd_ < 0) {
        // A writable file in a folder that refuses new files.
        const bool folderRefuses = err == EACCES || err == EPERM;
        if (unwritable == UnwritableFolder::WriteInPlace && folderRefuses && m_targetExisted && S_ISREG(st.st_mode)
            && ::access(path.c_str(), W_OK) == 0 && !spareFolder.empty()) {
            m_inPlace = true;
            return;
        }
        throw CFileException(FileCauseFromErrno(err), err, path);
    }
    tempPath_ = templ;
    // Keep the permissions of the file being replaced, else the usual ones.
    ::fchmod(fd_, m_targetExisted ? (st.st_mode & 07777) : NewFileMode());
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
    if (m_inPlace) {
        m_inPlaceBytes.append(data, size);
        return;
    }
    InjectFault(FileStep::Write, path_);
    int err = 0;
    if (!WriteAll(fd_, data, size, err))
        throw CFileException(FileCauseFromErrno(err), err, path_);
}

void ReplacingFile::Commit()
{
    // A read-only target stays protected, as it would be from a direct write.
    if (::access(path_.c_str(), F_OK) == 0 && ::access(path_.c_str(), W_OK) != 0)
        throw CFileException(kFileAccessDenied, EACCES, path_);
    if (m_inPlace) {
        CommitInPlace();
        return;
    }
    if (::fsync(fd_) != 0 || ::close(fd_) != 0) {
        const int err = errno;
        fd_ = -1;
        throw CFileException(FileCauseFromErrno(err), err, path_);
    }
    fd_ = -1;
    InjectFault(FileStep::Replace, path_);
    if (!m_targetExisted) {
        // Another process may have created the file meanwhile: keep it.
        if (::renameat2(AT_FDCWD, tempPath_.c_str(), AT_FDCWD, path_.c_str(), RENAME_NOREPLACE) == 0) {
            committed_ = true;
            return;
        }
        if (errno == EEXIST)
            throw CFileException(kFileSharingViolation, EEXIST, path_);
        if (errno != EINVAL && errno != ENOSYS) {
            const int err = errno;
            throw CFileException(FileCauseFromErrno(err), err, path_);
        }
    }
    if (::rename(tempPath_.c_str(), path_.c_str()) != 0) {
        const int err = errno;
        throw CFileException(FileCauseFromErrno(err), err, path_);
    }
    committed_ = true;
}

void ReplacingFile::CommitInPlace()
{
    // The old contents first, complete and on disk, in a folder of our own.
    std::string old;
    {
        InputFile current(path_);
        char buffer[16384];
        while (const size_t n = current.ReadSome(buffer, sizeof buffer))
            old.append(buffer, n);
    }
    MakeDirectories(m_spareFolder);
    std::string sparePath = JoinPath(m_spareFolder, ".mirovan-old-XXXXXX");
    const int spare = ::mkstemp(sparePath.data());
    if (spare < 0) {
        const int err = errno;
        throw CFileException(FileCauseFromErrno(err), err, path_);
    }
    int err = 0;
    const bool saved = WriteAll(spare, old.data(), old.size(), err) && (::fsync(spare) == 0 || (err = errno, false));
    ::close(spare);
    if (!saved) {
        ::unlink(sparePath.c_str());
        throw CFileException(FileCauseFromErrno(err), err, path_);
    }

    const int fd = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        err = errno;
        ::unlink(sparePath.c_str());
        throw CFileException(FileCauseFromErrno(err), err, path_);
    }
    const auto overwrite = [&](const std::string& bytes) {
        if (::lseek(fd, 0, SEEK_SET) != 0) {
            err = errno;
            return false;
        }
        try {
            InjectFault(FileStep::Write, path_);
        } catch (const CFileException& ex) {
            err = ex.m_osError;
            return false;
        }
        if (!WriteAll(fd, bytes.data(), bytes.size(), err))
            return false;
        if (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd) != 0) {
            err = errno;
            return false;
        }
        return true;
    };
    if (overwrite(m_inPlaceBytes)) {
        ::close(fd);
        ::unlink(sparePath.c_str());
        committed_ = true;
        return;
    }
    const int writeError = err;
    // The old contents go back; when even that fails the copy stays.
    if (overwrite(old))
        ::unlink(sparePath.c_str());
    ::close(fd);
    throw CFileException(FileCauseFromErrno(writeError), writeError, path_);
}

OutputFile::OutputFile(const std::string& path) : path_(path)
{
    // The kind is asked of the path itself: /dev/stdout ends in a link of
    // the system's (pipe:[…]) that names no file.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode)) {
        // Missing (a dangling link included) or a plain file: replaced whole.
        // The failures name the path the user gave, not the link's target.
        try {
            replacing_ = std::make_unique<ReplacingFile>(FollowLinks(path).path);
        } catch (const CFileException& ex) {
            throw CFileException(ex.m_cause, ex.m_osError, path);
        }
        return;
    }
    if (S_ISDIR(st.st_mode))
        throw CFileException(kFileAccessDenied, EISDIR, path);
    if (!S_ISCHR(st.st_mode) && !S_ISFIFO(st.st_mode))
        throw CFileException(kFileInvalid, EINVAL, path);
    InjectFault(FileStep::Open, path);
    // Blocking: a FIFO waits for its reader, as a redirection would.
    fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) {
        const int err = errno;
        throw CFileException(FileCauseFromErrno(err), err, path);
    }
}

OutputFile::~OutputFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void OutputFile::Write(const char* data, size_t size)
{
    try {
        if (replacing_) {
            replacing_->Write(data, size);
            return;
        }
        InjectFault(FileStep::Write, path_);
    } catch (const CFileException& ex) {
        throw CFileException(ex.m_cause, ex.m_osError, path_);
    }
    int err = 0;
    if (!WriteAll(fd_, data, size, err))
        throw CFileException(err == EIO ? kFileHardIO : FileCauseFromErrno(err), err, path_);
}

void OutputFile::Commit()
{
    if (replacing_) {
        try {
            replacing_->Commit();
        } catch (const CFileException& ex) {
            throw CFileException(ex.m_cause, ex.m_osError, path_);
        }
        return;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int err = errno;
        throw CFileException(FileCauseFromErrno(err), err, path_);
    }
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

std::optional<std::time_t> ModifiedTime(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return st.st_mtime;
}

std::optional<FileSizeAndTime> LookAtFile(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return FileSizeAndTime{static_cast<int64_t>(st.st_size),
                           static_cast<int64_t>(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000};
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

LinkTarget FollowLinks(const std::string& path)
{
    LinkTarget result{path};
    // As many hops as the system itself follows before ELOOP.
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(result.path.c_str(), &st) != 0) {
            result.dangling = result.isLink && errno == ENOENT;
            return result;
        }
        if (!S_ISLNK(st.st_mode))
            return result;
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink(result.path.c_str(), buffer, sizeof buffer);
        if (n <= 0 || static_cast<size_t>(n) >= sizeof buffer)
            return result;
        const std::string target(buffer, static_cast<size_t>(n));
        result.path = target[0] == '/' ? target : JoinPath(ParentFolder(result.path), target);
        result.isLink = true;
    }
    return result;
}

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

std::string InstalledFolder(const std::string& relative)
{
    return JoinPath(ParentFolder(ExecutableFolder()), relative);
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

std::string AppDataFolder() { return JoinPath(DataHome(), "Tavric"); }

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
