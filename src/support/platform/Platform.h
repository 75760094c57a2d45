#pragma once
// The few operating-system services the core needs. Everything here has
// a POSIX implementation (Posix.cpp); a Win32 one would sit beside it.
#include "support/Archive.h"

#include <chrono>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirovan::platform {

// The steps of the file layer that tests make fail, so that a full disk,
// an unreadable file or a folder without write rights can be tried even
// by the superuser. Read is each read of an open input file that still
// has bytes to give, so a share failing part way through can be tried;
// Look is LookAtFile.
enum class FileStep { Open, CreateBeside, Write, Replace, Lock, KeepOwner, Read, Look };
// Returns the errno value the step fails with, or 0 to let it run.
using FaultHook = std::function<int(FileStep step, const std::string& path)>;
void SetFaultHook(FaultHook hook);

// A file opened read-only without any lock, so that other programs may
// go on reading and writing it. Open failures throw CFileException; what
// is not a regular file (a FIFO, a device) is refused with kFileInvalid
// without waiting, and no more than the size it had when opened is read.
class InputFile : public IByteSource {
public:
    explicit InputFile(const std::string& path);
    ~InputFile() override;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    size_t ReadSome(char* buffer, size_t size) override;
    uint64_t BytesLeft() override;
    const std::string& Path() const { return path_; }
    // An advisory lock on this open file, taken without waiting; false
    // only when another open file holds a lock in the way. Where the file
    // system cannot lock at all this goes on without one (and logs it
    // once), as editors do on such mounts. The lock ends with the file.
    // Readers share; a writer holds the file alone.
    bool TryLockExclusive() { return TryLock(false); }
    bool TryLockShared() { return TryLock(true); }
    // The same, waiting at most the given time for another holder.
    bool LockExclusive(std::chrono::milliseconds wait) { return Lock(false, wait); }
    bool LockShared(std::chrono::milliseconds wait) { return Lock(true, wait); }
    // Whether the path still names this open file: a lock taken on a file
    // that has just been replaced guards nothing.
    bool IsStillAtPath() const;

private:
    bool TryLock(bool shared);
    bool Lock(bool shared, std::chrono::milliseconds wait);

    std::string path_;
    int fd_ = -1;
    uint64_t position_ = 0;
    uint64_t m_size = 0;
};

// What ReplacingFile does when the folder refuses the new file.
enum class UnwritableFolder {
    Fail,
    // Keeps a complete copy of the old contents in the spare folder, then
    // writes the file in place, putting the copy back when that fails.
    WriteInPlace,
};

// Writes a new file beside the target and puts it in the target's place
// only on Commit, so a failure at any point leaves the old file intact.
// The new file gets the old one's permissions, owner and group; where the
// system does not allow that owner or group, WriteInPlace writes in place
// as for a folder that refuses new files, so a shared file stays shared.
class ReplacingFile : public IByteSink {
public:
    explicit ReplacingFile(const std::string& path, UnwritableFolder unwritable = UnwritableFolder::Fail,
                           const std::string& spareFolder = {});
    ~ReplacingFile() override; // discards the new file unless committed
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    void Write(const char* data, size_t size) override;
    // A target that did not exist when this began is not overwritten when
    // another process has created it since: that fails as a sharing violation.
    void Commit();

private:
    void CommitInPlace();

    std::string path_;
    std::string tempPath_;
    int fd_ = -1;
    bool committed_ = false;
    bool m_targetExisted = false;
    bool m_inPlace = false;
    std::string m_spareFolder;
    std::string m_inPlaceBytes;
};

// Writes the file a path names the way a shell redirection would, but
// never half: a regular file (or a new one) is replaced by a new file
// beside it once Commit has the whole text, through any symbolic links to
// the file they end at; a character device or a FIFO (/dev/stdout, a pipe)
// is written directly. A directory or another kind of file is refused, so
// a link or a device node is never replaced by a file. Failures throw
// CFileException naming the path as given.
class OutputFile : public IByteSink {
public:
    explicit OutputFile(const std::string& path);
    ~OutputFile() override;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void Write(const char* data, size_t size) override;
    void Commit();

private:
    std::string path_;
    std::unique_ptr<ReplacingFile> replacing_;
    int fd_ = -1;
};
// What a save killed midway leaves behind: the new file beside the target
// (".mirovan-XXXXXX") and, from a save in place, the spare copy of the old
// contents (".mirovan-old-XXXXXX") with the name of its file beside it
// (".mirovan-old-XXXXXX.origin", written once the copy is complete).
// Only leftovers older than this are ever removed: a save in progress is
// never that old.
constexpr std::chrono::hours kLeftoverAge{24};
// Removes our own leftovers in the folder (of this user, older than
// kLeftoverAge), except spare copies with an origin: whether such a copy
// is still needed is for the reader of its file to decide. Every
// committed ReplacingFile does this for its own folder.
void RemoveLeftovers(const std::string& folder);
struct SpareCopy {
    std::string path;
    std::string origin; // the file the copy was taken of, absolute
    std::time_t modified = 0;
};
// The complete spare copies in the folder.
std::vector<SpareCopy> SpareCopies(const std::string& folder);
void RemoveSpareCopy(const SpareCopy& copy);

// A cross-process lock on a lock file; waits at most the given time.
// Held also where the file system cannot lock (logged, as for InputFile):
// only another process holding it keeps it from us.
class ProcessLock {
public:
    ProcessLock(const std::string& lockPath, std::chrono::milliseconds wait);
    ~ProcessLock();
    ProcessLock(const ProcessLock&) = delete;
    ProcessLock& operator=(const ProcessLock&) = delete;
    bool Held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};

bool FileExists(const std::string& path);
// One look at a file without opening it. error is 0, ENOENT when there is
// no such file, or the errno value of a look that failed (a share gone).
struct FileLook {
    int error = 0;
    int64_t size = 0;
    int64_t modifiedMs = 0;
};
FileLook LookAtFile(const std::string& path);
// The last change of a file, seconds since 1970 UTC; nullopt when it
// cannot be looked at.
std::optional<std::time_t> ModifiedTime(const std::string& path);
// An existing file without any write permission bit, or one this process
// may not write: the read-only attribute of other systems, which holds
// even for the superuser.
bool IsReadOnlyFile(const std::string& path);
// Whole contents of a small file; nullopt when it cannot be read.
std::optional<std::string> ReadSmallFile(const std::string& path);
// Creates the folder and its parents; false when that fails.
bool MakeDirectories(const std::string& path);
// Renames; false when that fails.
bool RenameFile(const std::string& from, const std::string& to);

// The file a path names once its symbolic links are followed; dangling
// when the last link points at nothing.
struct LinkTarget {
    std::string path;
    bool isLink = false;
    bool dangling = false;
};
LinkTarget FollowLinks(const std::string& path);

std::string ParentFolder(const std::string& path);
std::string JoinPath(const std::string& folder, const std::string& name);
// A path as UTF-8 message text, as the user typed it; bytes that name no
// character show as U+FFFD instead of breaking the message.
std::string PathForMessage(std::string_view path);

std::string LoginName();
std::string ExecutableFolder();
// A folder of the installed layout, relative to the executable's own
// (bin/): "lib/mirovan" or "share/mirovan" under whatever prefix the
// program was installed to.
std::string InstalledFolder(const std::string& relative);
std::string GetEnv(const char* name);
std::string HomeFolder();
std::string ConfigHome();     // $XDG_CONFIG_HOME or ~/.config
std::string FirstConfigDir(); // first of $XDG_CONFIG_DIRS or /etc/xdg
std::string DataHome();       // $XDG_DATA_HOME or ~/.local/share

// Appends data to an existing file with a single write, never creating
// the file. Writers are serialised by an exclusive lock on the file itself,
// waited for at most lockWait; the data is written even when the wait runs
// out. False when the file cannot be opened or written.
bool AppendToExistingFile(const std::string& path, const std::string& data, std::chrono::milliseconds lockWait);

} // namespace mirovan::platform

namespace mirovan::platform {

// The running program's own file, absolute; empty when unknown.
std::string ExecutablePath();

// A shared library loaded by path. Failures come back as text the
// caller can show, never as exceptions.
class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    bool Open(const std::string& path, std::string& error);
    // Null when the library lacks the symbol.
    void* Symbol(const char* name) const;
    void Close();
    bool IsOpen() const { return handle_ != nullptr; }

private:
    void* handle_ = nullptr;
};

// The file name a shared library of this base name has on this system.
std::string SharedLibraryFileName(const std::string& baseName);

} // namespace mirovan::platform
