#include "support/FileError.h"

#include "support/platform/Platform.h"

#include <cerrno>
#include <cstring>

namespace mirovan {

CFileException::CFileException(int cause, int osError, std::string path)
    : std::runtime_error(path + ": " + (osError ? std::strerror(osError) : "file error")),
      m_cause(cause), m_osError(osError), m_path(std::move(path)) {}

CArchiveException::CArchiveException(int cause, std::string detail)
    : std::runtime_error(detail.empty() ? "archive error " + std::to_string(cause) : detail),
      m_cause(cause) {}

namespace {

const char* FileFailureFormat(int cause)
{
    switch (cause) {
    case kFileTooManyOpen: return "開いているﾌｧｲﾙが多すぎるため、%1 を開けません。";
    case kFileAccessDenied: return "%1 へのｱｸｾｽは拒否されました。";
    case kFileInvalid: return "%1 は無効なﾌｧｲﾙです。";
    case kFileBadSeek: return "%1 のｼｰｸ中にｴﾗｰが発生しました。";
    case kFileHardIO: return "%1 へのｱｸｾｽ中にﾊｰﾄﾞｳｪｱ I/O ｴﾗｰが発生しました。";
    case kFileSharingViolation: return "%1 へのｱｸｾｽ中に共有違反が発生しました。";
    case kFileLockViolation: return "%1 へのｱｸｾｽ中にﾛｯｸ違反が発生しました。";
    case kFileDiskFull: return "%1 へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。";
    case kFileEndOfFile: return "%1 の終わりを越えて読み込もうとしました。";
    default: return "%1 へのｱｸｾｽ中に予期しないｴﾗｰが発生しました。";
    }
}

} // namespace

std::string FileFailureMessage(int cause, const std::string& path)
{
    std::string text = FileFailureFormat(cause);
    const size_t at = text.find("%1");
    text.replace(at, 2, platform::PathForMessage(path));
    return text;
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
