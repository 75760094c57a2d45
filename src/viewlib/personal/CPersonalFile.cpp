#include "viewlib/personal/CPersonalFile.h"

#include "support/Archive.h"
#include "support/FileError.h"
#include "support/platform/Platform.h"

#include <cerrno>
#include <optional>

namespace mirovan::view {
namespace {

constexpr char kTab = '\t';

// The standard report of a file failure; %1 is the path.
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

std::string FileFailureMessage(int cause, const std::string& path)
{
    std::string text = FileFailureFormat(cause);
    const size_t at = text.find("%1");
    text.replace(at, 2, platform::PathForMessage(path));
    return text;
}

} // namespace

platform::KeptAside CPersonalFile::KeepDamagedCopy() const
{
    return platform::KeepAside(m_path, platform::AsideMode::Copy, platform::AsideClash::KeepExisting);
}

CPersonalFile::CPersonalFile(IUserInterface& ui, Persistence persistence) : m_ui(ui), m_persistence(persistence) {}

CPersonalFile::~CPersonalFile()
{
    try {
        if (m_monthModified)
            StoreMonth();
        if (m_fileModified)
            WriteFile();
    } catch (...) {
        // Only running out of memory gets here; a destructor must not throw.
    }
}

void CPersonalFile::Clear()
{
    m_monthTexts.clear();
    m_monthKeys.clear();
    m_dayTexts.clear();
    m_loadedMonth = 0;
    m_recordIndex = -1;
    m_monthModified = false;
    m_fileModified = false;
}

int CPersonalFile::LoadMonth(uint32_t monthKey)
{
    StoreMonth();
    m_dayTexts.clear();
    m_loadedMonth = monthKey;
    for (size_t i = 0; i < m_monthKeys.size(); ++i) {
        if (m_monthKeys[i] != monthKey)
            continue;
        m_recordIndex = static_cast<int32_t>(i);
        const std::string& text = m_monthTexts[i];
        if (!text.empty()) {
            size_t begin = 0;
            for (;;) {
                const size_t tab = text.find(kTab, begin);
                if (tab == std::string::npos) {
                    m_dayTexts.emplace_back(text, begin);
                    break;
                }
                m_dayTexts.emplace_back(text, begin, tab - begin);
                begin = tab + 1;
            }
        }
        return 1;
    }
    m_recordIndex = -1;
    m_dayTexts.resize(static_cast<size_t>(DaysOfMonthKey(monthKey)));
    return 0;
}

void CPersonalFile::StoreMonth()
{
    if (!m_monthModified)
        return;
    size_t length = m_dayTexts.empty() ? 0 : m_dayTexts.size() - 1;
    bool hasText = false;
    for (const std::string& day : m_dayTexts) {
        length += day.size();
        hasText = hasText || !day.empty();
    }
    if (hasText) {
        std::string joined;
        joined.reserve(length);
        for (size_t i = 0; i < m_dayTexts.size(); ++i) {
            if (i > 0)
                joined += kTab;
            joined += m_dayTexts[i];
        }
        if (m_recordIndex >= 0) {
            m_monthTexts[static_cast<size_t>(m_recordIndex)] = std::move(joined);
        } else {
            m_monthTexts.push_back(std::move(joined));
            m_monthKeys.push_back(m_loadedMonth);
            m_recordIndex = static_cast<int32_t>(m_monthKeys.size() - 1);
        }
    } else if (m_recordIndex >= 0) {
        m_monthTexts.erase(m_monthTexts.begin() + m_recordIndex);
        m_monthKeys.erase(m_monthKeys.begin() + m_recordIndex);
        m_recordIndex = -1;
    }
    m_monthModified = false;
    m_fileModified = true;
}

bool CPersonalFile::SwitchToMonthOf(uint32_t dayKey)
{
    // Month key 0 stands for "no month loaded", and day 0 is no day: such a
    // key would otherwise land in a record of its own or before day 1.
    const uint32_t monthKey = MonthKeyOfDay(dayKey);
    if (monthKey == 0 || DayOfDayKey(dayKey) == 0)
        return false;
    if (monthKey != m_loadedMonth) {
        StoreMonth();
        LoadMonth(monthKey);
    }
    return true;
}

void CPersonalFile::SetDayText(uint32_t dayKey, const std::string& text)
{
    if (!SwitchToMonthOf(dayKey))
        return;
    const size_t i = static_cast<size_t>(DayOfDayKey(dayKey) - 1);
    if (i < m_dayTexts.size()) {
        m_dayTexts[i] = text;
    } else {
        m_dayTexts.resize(i);
        m_dayTexts.push_back(text);
    }
    m_monthModified = true;
}

int CPersonalFile::GetDayText(uint32_t dayKey, std::string& out)
{
    out.clear();
    if (!SwitchToMonthOf(dayKey))
        return 1;
    const size_t i = static_cast<size_t>(DayOfDayKey(dayKey) - 1);
    if (i < m_dayTexts.size())
        out = m_dayTexts[i];
    return 1;
}

void CPersonalFile::ReadFrom(IByteSource& source)
{
    Clear();
    ArchiveReader ar(source);
    // The count only bounds the loop: a wrong one runs into the end of the
    // stream, so nothing is reserved for it. Negative reads no records.
    const int32_t count = ar.ReadI32();
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t key = ar.ReadU32();
        std::string text = ar.ReadString();
        m_monthKeys.push_back(key);
        m_monthTexts.push_back(std::move(text));
    }
}

void CPersonalFile::WriteTo(IByteSink& sink) const
{
    ArchiveWriter ar(sink);
    ar.WriteI32(static_cast<int32_t>(m_monthKeys.size()));
    for (size_t i = 0; i < m_monthKeys.size(); ++i) {
        ar.WriteU32(m_monthKeys[i]);
        ar.WriteString(m_monthTexts[i]);
    }
    ar.Flush();
}

void CPersonalFile::ReportReadFailure(int fileCause)
{
    if (fileCause == kFileNotFound || fileCause == kFileBadPath) {
        if (m_persistence == Persistence::ReadOnly) {
            m_ui.ShowMessage("ファイル「" + platform::PathForMessage(m_path) + "」が開けません。",
                             MessageIcon::Exclamation);
            return;
        }
        m_ui.ShowMessage("ファイル「" + platform::PathForMessage(m_path) +
                             "」が開けません。\r\n空のファイルを作成します。",
                         MessageIcon::Exclamation);
        WriteFile();
        return;
    }
    m_ui.ShowMessage(FileFailureMessage(fileCause, m_path), MessageIcon::Exclamation);
}

bool CPersonalFile::ReadFile()
{
    WaitCursor wait(m_ui);
    Clear();
    std::optional<int> failure;
    try {
        platform::InputFile file(m_path);
        // No sharing: a second copy reading or writing the file right now
        // holds this lock, and the two must not interleave.
        if (!file.TryLockExclusive())
            throw CFileException(kFileSharingViolation, EWOULDBLOCK, m_path);
        ReadFrom(file);
    } catch (const CFileException& ex) {
        failure = ex.m_cause;
    }
    // Whatever was read is the file as last seen: nothing to save yet, and
    // the next day access loads its month afresh.
    m_loadedMonth = 0;
    m_recordIndex = -1;
    m_monthModified = false;
    m_fileModified = false;
    if (failure) {
        ReportReadFailure(*failure);
        return false;
    }
    return true;
}

bool CPersonalFile::WriteFile()
{
    StoreMonth();
    if (m_persistence == Persistence::ReadOnly)
        return false;
    try {
        if (m_path.empty())
            throw CFileException(kFileBadPath, ENOENT, m_path);
        if (platform::IsReadOnlyFile(m_path))
            throw CFileException(kFileAccessDenied, EACCES, m_path);
        // Hold the file that is being replaced, as ReadFile does, so that a
        // second copy does not read it half way through our save.
        std::optional<platform::InputFile> current;
        try {
            current.emplace(m_path);
        } catch (const CFileException& ex) {
            if (ex.m_cause != kFileNotFound)
                throw;
        }
        if (current && !current->TryLockExclusive())
            throw CFileException(kFileSharingViolation, EWOULDBLOCK, m_path);

        // The new contents go to a file beside the old one, which is
        // replaced only once they are complete: a failure at any point
        // leaves the old file as it was.
        platform::ReplacingFile file(m_path);
        const std::unique_ptr<IByteSink> filter = m_outputFilter ? m_outputFilter(file) : nullptr;
        WriteTo(filter ? *filter : file);
        file.Commit();
    } catch (const CFileException&) {
        m_ui.ShowMessage("エラーが発生しました。", MessageIcon::Exclamation);
        return false;
    }
    m_fileModified = false;
    return true;
}

void CPersonalFile::SaveIfModified()
{
    StoreMonth();
    if (m_fileModified)
        WriteFile();
}

} // namespace mirovan::view
