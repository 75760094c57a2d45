#include "support/platform/Platform.h"

#include "support/FileError.h"
#include "support/Utf.h"
#include "support/platform/Log.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <pwd.h>
#include <set>
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

enum class LockOutcome { Taken, Busy, Unsupported };

// One flock attempt without waiting. Only "would block" means another
// holder; any other failure (ENOLCK, EOPNOTSUPP, EINVAL on some network
// mounts) means the file system cannot lock, logged once per file.
LockOutcome TryFlock(int fd, int operation, const std::string& path)
{
    for (;;) {
        int err = Hook() ? Hook()(FileStep::Lock, path) : 0;
        if (err == 0) {
            if (::flock(fd, operation | LOCK_NB) == 0)
                return LockOutcome::Taken;
            err = errno;
        }
        if (err == EINTR)
            continue;
        if (err == EWOULDBLOCK)
            return LockOutcome::Busy;
        static std::mutex mutex;
        static std::set<std::string> logged;
        bool first;
        {
            std::lock_guard lock(mutex);
            first = logged.insert(path).second;
        }
        if (first)
            WriteLog("no lock on " + path + " (" + std::strerror(err) + "), going on without it");
        return LockOutcome::Unsupported;
    }
}

// TryFlock until taken, refused for good or the wait is over.
bool WaitForFlock(int fd, int operation, const std::string& path, std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (TryFlock(fd, operation, path) != LockOutcome::Busy)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

constexpr std::string_view kNewFilePrefix = ".mirovan-";
constexpr std::string_view kSparePrefix = ".mirovan-old-";
constexpr std::string_view kOriginSuffix = ".origin";

// prefix + the six characters mkstemp puts in, and nothing else.
bool IsOurTempName(std::string_view name, std::string_view prefix)
{
    if (name.size() != prefix.size() + 6 || name.substr(0, prefix.size()) != prefix)
        return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

// A plain file of this user's, last changed before the cut-off.
bool IsOwnOldFile(const std::string& path, std::time_t cutOff)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_mtime < cutOff;
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir))
        names.emplace_back(entry->d_name);
    ::closedir(dir);
    return names;
}

std::string AbsolutePath(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) ? JoinPath(buffer, path) : path;
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
    InjectFault(FileStep::Read, path_);
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

bool InputFile::TryLock(bool shared) { return TryFlock(fd_, shared ? LOCK_SH : LOCK_EX, path_) != LockOutcome::Busy; }

bool InputFile::Lock(bool shared, std::chrono::milliseconds wait)
{
    return WaitForFlock(fd_, shared ? LOCK_SH : LOCK_EX, path_, wait);
}

bool InputFile::IsStillAtPath() const
{
    struct stat open {};
    struct stat named {};
    return ::fstat(fd_, &open) == 0 && ::stat(path_.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
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
    const bool mayWriteInPlace = unwritable == UnwritableFolder::WriteInPlace && m_targetExisted &&
                                 S_ISREG(st.st_mode) && ::access(path.c_str(), W_OK) == 0 && !spareFolder.empty();
    if (fd_ < 0) {
        // A writable file in a folder that refuses new files.
        const bool folderRefuses = err == EACCES || err == EPERM;
        if (mayWriteInPlace && folderRefuses) {
            m_inPlace = true;
            return;
        }
        throw CFileException(FileCauseFromErrno(err), err, path);
    }
    tempPath_ = templ;
    // Keep the permissions of the file being replaced, else the usual ones.
    ::fchmod(fd_, m_targetExisted ? (st.st_mode & 07777) : NewFileMode());
    struct stat made {};
    if (m_targetExisted && ::fstat(fd_, &made) == 0 && (made.st_uid != st.st_uid || made.st_gid != st.st_gid)) {
        int refusal = Hook() ? Hook()(FileStep::KeepOwner, path) : 0;
        if (refusal == 0 && ::fchown(fd_, st.st_uid, st.st_gid) != 0)
            refusal = errno;
        // Owned by another user or group: rather in place than taken over.
        if (refusal != 0 && mayWriteInPlace) {
            ::close(fd_);
            fd_ = -1;
            ::unlink(tempPath_.c_str());
            tempPath_.clear();
            m_inPlace = true;
            return;
        }
        // fchown may have cleared set-id bits.
        ::fchmod(fd_, st.st_mode & 07777);
    }
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
            RemoveLeftovers(ParentFolder(path_));
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
    RemoveLeftovers(ParentFolder(path_));
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
    bool saved = WriteAll(spare, old.data(), old.size(), err) && (::fsync(spare) == 0 || (err = errno, false));
    ::close(spare);
    // Which file the copy is of, so that after a crash it can be offered
    // back; written only once the copy is complete.
    const std::string originPath = sparePath + std::string(kOriginSuffix);
    if (saved) {
        const std::string origin = AbsolutePath(path_);
        const int fd = ::open(originPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        saved = fd >= 0 && WriteAll(fd, origin.data(), origin.size(), err) && ::fsync(fd) == 0;
        if (!saved && err == 0)
            err = errno;
        if (fd >= 0)
            ::close(fd);
    }
    const auto removeSpare = [&] {
        ::unlink(originPath.c_str());
        ::unlink(sparePath.c_str());
    };
    if (!saved) {
        removeSpare();
        throw CFileException(FileCauseFromErrno(err), err, path_);
    }

    const int fd = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        err = errno;
        removeSpare();
        throw CFileException(FileCauseFromErrno(err), err, path_);
    }
    const auto overwrite = [&](const std::string& bytes) {
        // Emptied first: a write cut off then leaves a file that reads as
        // cut short, never old bytes behind new ones that look whole.
        if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0) {
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
        if (::fsync(fd) != 0) {
            err = errno;
            return false;
        }
        return true;
    };
    if (overwrite(m_inPlaceBytes)) {
        ::close(fd);
        removeSpare();
        committed_ = true;
        RemoveLeftovers(ParentFolder(path_));
        RemoveLeftovers(m_spareFolder);
        return;
    }
    const int writeError = err;
    // The old contents go back; when even that fails the copy stays.
    if (overwrite(old))
        removeSpare();
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

void RemoveLeftovers(const std::string& folder)
{
    const std::time_t cutOff = std::time(nullptr) - std::chrono::seconds(kLeftoverAge).count();
    for (const std::string& name : FolderEntries(folder)) {
        const bool ours = IsOurTempName(name, kNewFilePrefix) || IsOurTempName(name, kSparePrefix);
        const std::string path = JoinPath(folder, name);
        // A spare copy with an origin may be the only complete copy left.
        if (ours && !FileExists(path + std::string(kOriginSuffix)) && IsOwnOldFile(path, cutOff))
            ::unlink(path.c_str());
    }
}

std::vector<SpareCopy> SpareCopies(const std::string& folder)
{
    std::vector<SpareCopy> copies;
    for (const std::string& name : FolderEntries(folder)) {
        if (!IsOurTempName(name, kSparePrefix))
            continue;
        SpareCopy copy;
        copy.path = JoinPath(folder, name);
        struct stat st {};
        const auto origin = ReadSmallFile(copy.path + std::string(kOriginSuffix));
        if (!origin || origin->empty() || ::lstat(copy.path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        copy.origin = *origin;
        copy.modified = st.st_mtime;
        copies.push_back(std::move(copy));
    }
    return copies;
}

void RemoveSpareCopy(const SpareCopy& copy)
{
    // The origin first: a copy without one is only a leftover.
    ::unlink((copy.path + std::string(kOriginSuffix)).c_str());
    ::unlink(copy.path.c_str());
}

ProcessLock::ProcessLock(const std::string& lockPath, std::chrono::milliseconds wait)
{
    fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0)
        return;
    held_ = WaitForFlock(fd_, LOCK_EX, lockPath, wait);
}

ProcessLock::~ProcessLock()
{
    if (fd_ >= 0) {
        if (held_)
            ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
}

FileLook LookAtFile(const std::string& path)
{
    try {
        InjectFault(FileStep::Look, path);
    } catch (const CFileException& ex) {
        return {ex.m_osError, 0, 0};
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {errno, 0, 0};
    return {0, static_cast<int64_t>(st.st_size),
            static_cast<int64_t>(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000};
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
