#include "support/FileMessage.h"

#include "support/FileError.h"
#include "support/platform/Platform.h"

namespace mirovan {

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

} // namespace mirovan
