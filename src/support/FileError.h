#pragma once
// Failures of the file layer. Both carry the cause numbers that the
// user-visible messages show, so they are kept apart by type.
#include <stdexcept>
#include <string>

namespace mirovan {

// Cause numbers of a failure to open, read or write a file.
enum FileCause : int {
    kFileNone = 0,
    kFileGeneric = 1,
    kFileNotFound = 2,
    kFileBadPath = 3,
    kFileTooManyOpen = 4,
    kFileAccessDenied = 5,
    kFileInvalid = 6,
    kFileRemoveCurrentDir = 7,
    kFileDirectoryFull = 8,
    kFileBadSeek = 9,
    kFileHardIO = 10,
    kFileSharingViolation = 11,
    kFileLockViolation = 12,
    kFileDiskFull = 13,
    kFileEndOfFile = 14,
};

// Cause numbers of a failure to decode a stream.
enum ArchiveCause : int {
    kArchiveNone = 0,
    kArchiveGeneric = 1,
    kArchiveReadOnly = 2,
    kArchiveEndOfFile = 3,
    kArchiveWriteOnly = 4,
    kArchiveBadIndex = 5,
    kArchiveBadClass = 6,
    kArchiveBadSchema = 7,
};

class CFileException : public std::runtime_error {
public:
    CFileException(int cause, int osError, std::string path);
    int m_cause;
    int m_osError;
    std::string m_path;
};

class CArchiveException : public std::runtime_error {
public:
    explicit CArchiveException(int cause, std::string detail = {});
    int m_cause;
};

// Maps an errno value to the file cause the messages report.
int FileCauseFromErrno(int err);

} // namespace mirovan
