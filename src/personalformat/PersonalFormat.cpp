#include "personalformat/PersonalFormat.h"

#include "support/Archive.h"
#include "support/FileError.h"
#include "support/FileMessage.h"
#include "support/platform/Platform.h"

#include <cerrno>

namespace mirovan::personal {
namespace {

constexpr char kTab = '\t';

} // namespace

RecordsRead ReadRecords(IByteSource& source, std::vector<uint32_t>& keys, std::vector<std::string>& texts)
{
    ArchiveReader ar(source);
    // The count only bounds the loop: a wrong one runs into the end of the
    // stream, so nothing is reserved for it. Negative reads no records.
    const int32_t count = ar.ReadI32();
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t key = ar.ReadU32();
        std::string text = ar.ReadString();
        keys.push_back(key);
        texts.push_back(std::move(text));
    }
    const uint64_t bytes = ar.Position();
    return {bytes, !ar.AtEnd()};
}

void WriteRecords(IByteSink& sink, const std::vector<uint32_t>& keys, const std::vector<std::string>& texts)
{
    ArchiveWriter ar(sink);
    ar.WriteI32(static_cast<int32_t>(keys.size()));
    for (size_t i = 0; i < keys.size(); ++i) {
        ar.WriteU32(keys[i]);
        ar.WriteString(texts[i]);
    }
    ar.Flush();
}

uint64_t RecordBytes(const std::vector<std::string>& texts)
{
    uint64_t bytes = 4;
    for (const std::string& text : texts)
        bytes += 4 + (text.size() < 0xFF ? 1 : text.size() < 0xFFFE ? 3 : 7) + text.size();
    return bytes;
}

RecordsRead ReadLockedFile(const std::string& path, std::chrono::milliseconds wait, std::vector<uint32_t>& keys,
                           std::vector<std::string>& texts)
{
    platform::InputFile file(path);
    // Readers share the file; only a save holds it alone, and a read
    // waits for one in progress as a save would.
    if (!file.LockShared(wait))
        throw CFileException(kFileSharingViolation, EWOULDBLOCK, path);
    return ReadRecords(file, keys, texts);
}

std::vector<std::string> SplitDays(const std::string& text)
{
    std::vector<std::string> days;
    if (text.empty())
        return days;
    size_t begin = 0;
    for (;;) {
        const size_t tab = text.find(kTab, begin);
        if (tab == std::string::npos) {
            days.emplace_back(text, begin);
            return days;
        }
        days.emplace_back(text, begin, tab - begin);
        begin = tab + 1;
    }
}

std::string JoinDays(const std::vector<std::string>& days)
{
    size_t length = days.empty() ? 0 : days.size() - 1;
    bool hasText = false;
    for (const std::string& day : days) {
        length += day.size();
        hasText = hasText || !day.empty();
    }
    std::string joined;
    if (!hasText)
        return joined;
    joined.reserve(length);
    for (size_t i = 0; i < days.size(); ++i) {
        if (i > 0)
            joined += kTab;
        joined += days[i];
    }
    return joined;
}

std::string CannotOpenText(const std::string& path)
{
    return "ファイル「" + platform::PathForMessage(path) + "」が開けません。";
}

std::string ReadFailureText(int fileCause, const std::string& path)
{
    if (fileCause == kFileNotFound || fileCause == kFileBadPath)
        return CannotOpenText(path);
    return FileFailureMessage(fileCause, path);
}

} // namespace mirovan::personal
