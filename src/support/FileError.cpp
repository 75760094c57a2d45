#include "support/FileError.h"

#include <cerrno>
#include <cstring>

namespace mirovan {

CFileException::CFileException(int cause, int osError, std::string path)
    : std::runtime_error(path + ": " + (osError ? std::strerror(osError) : "file error")), m_cause(cause),
      m_osError(osError), m_path(std::move(path))
{
}

CArchiveException::CArchiveException(int cause, std::string detail)
    : std::runtime_error(detail.empty() ? "archive error " + std::to_string(cause) : detail), m_cause(cause)
{
}

int FileCauseFromErrno(int err)
{
    switch (err) {
    case ENOENT: return kFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return kFileBadPath;
    case EMFILE:
    case ENFILE: return kFileTooManyOpen;
    case EACCES:
    case EPERM:
    case EROFS: return kFileAccessDenied;
    case EISDIR:
    case EINVAL: return kFileInvalid;
    case ENOSPC:
    case EDQUOT: return kFileDiskFull;
    case ESPIPE: return kFileBadSeek;
    case EIO: return kFileHardIO;
    case EBUSY:
    case ETXTBSY: return kFileSharingViolation;
    case EWOULDBLOCK: return kFileLockViolation;
    default: return kFileGeneric;
    }
}

} // namespace mirovan
