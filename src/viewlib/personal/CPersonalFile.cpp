#include "viewlib/personal/CPersonalFile.h"

#include "personalformat/PersonalFormat.h"
#include "support/Archive.h"
#include "support/FileError.h"
#include "support/FileMessage.h"
#include "support/platform/Platform.h"
#include "support/settings/SettingsTable.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <optional>

namespace mirovan::view {
namespace {

using personal::CannotOpenText;
using personal::JoinDays;
using personal::ReadRecords;
using personal::RecordBytes;
using personal::RecordsRead;
using personal::SplitDays;
using personal::WriteRecords;

std::string DamagedFileText(const std::string& path, const std::string& keptAs)
{
    return "個人用ファイル「" + platform::PathForMessage(path) +
           "」は、前に読み込んだときより短くなっているか、壊れていました。\r\n"
           "このプログラムが持っているメモをすべて書き込みました。\r\n"
           "元のファイルは「" +
           platform::PathForMessage(keptAs) + "」として残しました。";
}

std::string ChangedFileText(const std::string& path)
{
    return "個人用ファイル「" + platform::PathForMessage(path) +
           "」は、前に読み込んだ後にほかで書き換えられていました。\r\n"
           "書き換えられたファイルに、このプログラムで変更した日のメモを書き込みました。"
           "同じ日のメモは、後から保存したこちらのものになりました。";
}

// Tells whether the file still holds what this store last saw in it.
size_t HashRecords(const std::vector<uint32_t>& keys, const std::vector<std::string>& texts)
{
    size_t hash = keys.size();
    const auto mix = [&hash](size_t value) { hash ^= value + 0x9E3779B97F4A7C15ull + (hash << 6) + (hash >> 2); };
    for (size_t i = 0; i < keys.size(); ++i) {
        mix(keys[i]);
        mix(std::hash<std::string_view>{}(texts[i]));
    }
    return hash;
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
        // Normally done while the window was still shown; this is the
        // last chance for memos nobody saved then.
        SaveBeforeClosing(false);
    } catch (...) {
        // Only running out of memory gets here; a destructor must not throw.
    }
}

bool CPersonalFile::SaveBeforeClosing(bool mayCancel)
{
    StoreMonth();
    if (m_persistence == Persistence::ReadOnly)
        return true;
    const std::string ownPath = m_path;
    bool written = false;
    while (m_fileModified) {
        const std::string failure = TryWrite();
        written = failure.empty();
        if (written)
            break;
        std::string folder = platform::ParentFolder(ownPath);
        if (folder.empty())
            folder = platform::HomeFolder();
        const std::string name = ownPath.substr(ownPath.find_last_of('/') + 1);
        std::string otherPath;
        switch (m_ui.AskAboutFailedSave({failure, folder, name, mayCancel}, otherPath)) {
        case FailedSaveChoice::Drop:
            m_fileModified = false;
            m_changedDays.clear();
            return true;
        case FailedSaveChoice::Cancel:
            if (mayCancel) {
                m_path = ownPath;
                return false;
            }
            break;
        case FailedSaveChoice::SaveElsewhere:
            if (!otherPath.empty())
                m_path = otherPath;
            break;
        case FailedSaveChoice::Retry: break;
        }
    }
    // The memos are only in the other file now: it is the one in use.
    if (written && m_path != ownPath && m_moved)
        m_moved(ownPath, m_path);
    return true;
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
    m_changedDays.clear();
    m_seen.reset();
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
        m_dayTexts = SplitDays(m_monthTexts[i]);
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
    std::string joined = JoinDays(m_dayTexts);
    if (!joined.empty()) {
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
    // An editor closed unchanged is no change: it must not overwrite what
    // another copy saved for the day.
    if ((i < m_dayTexts.size() ? m_dayTexts[i] : std::string()) == text)
        return;
    m_changedDays[dayKey] = text;
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
    const RecordsRead read = ReadRecords(source, m_monthKeys, m_monthTexts);
    if (!read.trailing)
        m_seen = Seen{read.bytes, HashRecords(m_monthKeys, m_monthTexts)};
}

void CPersonalFile::AddHeldDays(std::vector<uint32_t>& keys, std::vector<std::string>& texts) const
{
    for (size_t r = 0; r < m_monthKeys.size(); ++r) {
        const auto found = std::find(keys.begin(), keys.end(), m_monthKeys[r]);
        if (found == keys.end()) {
            keys.push_back(m_monthKeys[r]);
            texts.push_back(m_monthTexts[r]);
            continue;
        }
        std::string& text = texts[static_cast<size_t>(found - keys.begin())];
        std::vector<std::string> days = SplitDays(text);
        const std::vector<std::string> held = SplitDays(m_monthTexts[r]);
        if (days.size() < held.size())
            days.resize(held.size());
        for (size_t i = 0; i < held.size(); ++i)
            if (days[i].empty())
                days[i] = held[i];
        text = JoinDays(days);
    }
}

void CPersonalFile::WriteTo(IByteSink& sink) const { WriteRecords(sink, m_monthKeys, m_monthTexts); }

void CPersonalFile::MergeInto(std::vector<uint32_t>& keys, std::vector<std::string>& texts) const
{
    for (auto day = m_changedDays.begin(); day != m_changedDays.end();) {
        const uint32_t monthKey = MonthKeyOfDay(day->first);
        // Of two records with the same month key the first is the month's.
        const auto found = std::find(keys.begin(), keys.end(), monthKey);
        const auto index = static_cast<size_t>(found - keys.begin());
        std::vector<std::string> days = found != keys.end()
                                            ? SplitDays(texts[index])
                                            : std::vector<std::string>(static_cast<size_t>(DaysOfMonthKey(monthKey)));
        for (; day != m_changedDays.end() && MonthKeyOfDay(day->first) == monthKey; ++day) {
            const size_t i = static_cast<size_t>(DayOfDayKey(day->first) - 1);
            if (i >= days.size())
                days.resize(i + 1);
            days[i] = day->second;
        }
        std::string joined = JoinDays(days);
        if (found == keys.end()) {
            if (!joined.empty()) {
                keys.push_back(monthKey);
                texts.push_back(std::move(joined));
            }
        } else if (!joined.empty()) {
            texts[index] = std::move(joined);
        } else {
            keys.erase(found);
            texts.erase(texts.begin() + static_cast<std::ptrdiff_t>(index));
        }
    }
}

void CPersonalFile::ReportReadFailure(int fileCause)
{
    std::string text = personal::ReadFailureText(fileCause, m_path);
    if (fileCause == kFileNotFound || fileCause == kFileBadPath) {
        // A link to nothing is the user's own setup: an empty file in its
        // place would hide where the memos went.
        if (m_persistence == Persistence::ReadOnly || platform::FollowLinks(m_path).dangling) {
            m_ui.ShowMessage(text, MessageIcon::Exclamation);
            return;
        }
        m_ui.ShowMessage(text + "\r\n空のファイルを作成します。", MessageIcon::Exclamation);
        WriteFile();
        return;
    }
    if (m_persistence == Persistence::ReadWrite)
        text += "\r\nメモは、ファイルを読み込めるまで表示も編集もできません。"
                "[最新の情報に更新] (F5) で読み込み直します。";
    m_ui.ShowMessage(text, MessageIcon::Exclamation);
}

bool CPersonalFile::SaveBeforeReplacing()
{
    StoreMonth();
    if (!m_fileModified || m_persistence == Persistence::ReadOnly)
        return true;
    // The path may already name the next file; the changes belong to the
    // one they were made on.
    const std::string next = m_path;
    if (m_synced)
        m_path = m_syncedPath;
    const std::string own = m_path;
    if (!SaveBeforeClosing(true))
        return false;
    // Reading the same file again reads the one the memos were saved to.
    if (next != own)
        m_path = next;
    return true;
}

bool CPersonalFile::ReadFile()
{
    if (!SaveBeforeReplacing())
        return false;
    WaitCursor wait(m_ui);
    Clear();
    m_readFailed = false;
    // Even a failed read ties the store to this file: a later save merges
    // into whatever the file holds then instead of replacing it.
    m_syncedPath = m_path;
    m_synced = true;
    m_readAsPlainFile = !platform::FollowLinks(m_path).isLink;
    std::optional<int> failure;
    try {
        const RecordsRead read = personal::ReadLockedFile(m_path, m_lockWait, m_monthKeys, m_monthTexts);
        if (!read.trailing)
            m_seen = Seen{read.bytes, HashRecords(m_monthKeys, m_monthTexts)};
    } catch (const CFileException& ex) {
        failure = ex.m_cause;
    }
    // Whatever was read is the file as last seen: nothing to save yet, and
    // the next day access loads its month afresh.
    m_loadedMonth = 0;
    m_recordIndex = -1;
    m_monthModified = false;
    m_fileModified = false;
    // A missing file hides nothing; any other failure may hide memos.
    m_readFailed = failure && *failure != kFileNotFound && *failure != kFileBadPath;
    if (failure) {
        ReportReadFailure(*failure);
        return false;
    }
    return true;
}

std::string CPersonalFile::WriteFailureText(int fileCause) const
{
    // The first line is the one the user has always seen.
    std::string cause = fileCause == kFileNotFound || fileCause == kFileBadPath ? CannotOpenText(m_path)
                                                                                : FileFailureMessage(fileCause, m_path);
    // "Cannot open" alone hides why: the folder itself may be gone.
    const std::string folder = platform::ParentFolder(m_path);
    if (fileCause == kFileNotFound && !folder.empty() && platform::LookAtFile(folder).error == ENOENT)
        cause += "\r\nフォルダ「" + platform::PathForMessage(folder) + "」がありません。";
    return "エラーが発生しました。\r\n" + cause;
}

bool CPersonalFile::WriteFile()
{
    if (m_persistence == Persistence::ReadOnly) {
        StoreMonth();
        return false;
    }
    const std::string failure = TryWrite();
    if (!failure.empty())
        m_ui.ShowMessage(failure, MessageIcon::Exclamation);
    return failure.empty();
}

std::string CPersonalFile::TryWrite()
{
    StoreMonth();
    std::vector<uint32_t> keys;
    std::vector<std::string> texts;
    std::string notice;
    try {
        if (m_path.empty())
            throw CFileException(kFileBadPath, ENOENT, m_path);
        // A link stays a link: its target is what gets replaced.
        const platform::LinkTarget target = platform::FollowLinks(m_path);
        if (target.dangling)
            throw CFileException(kFileNotFound, ENOENT, m_path);
        if (target.isLink && m_readAsPlainFile && m_synced && m_syncedPath == m_path) {
            if (!m_ui.AskQuestion(Question::SaveThroughNewLink,
                                  {platform::PathForMessage(m_path), platform::PathForMessage(target.path)}))
                throw CFileException(kFileAccessDenied, ELOOP, m_path);
            m_readAsPlainFile = false;
        }
        if (platform::IsReadOnlyFile(target.path))
            throw CFileException(kFileAccessDenied, EACCES, m_path);

        // Hold the file being replaced, as ReadFile does, so that no other
        // copy reads or saves it half way through this save. A lock on a
        // file another copy has just replaced guards nothing: take it again.
        std::optional<platform::InputFile> current;
        for (int attempt = 0;; ++attempt) {
            try {
                current.emplace(target.path);
            } catch (const CFileException& ex) {
                if (ex.m_cause != kFileNotFound)
                    throw;
                current.reset();
                break;
            }
            if (!current->LockExclusive(m_lockWait))
                throw CFileException(kFileSharingViolation, EWOULDBLOCK, m_path);
            if (current->IsStillAtPath())
                break;
            if (attempt == 10)
                throw CFileException(kFileSharingViolation, EWOULDBLOCK, m_path);
        }

        if (!current || !m_synced || m_syncedPath != m_path) {
            // A new file, or one this store was never read from: all of it.
            keys = m_monthKeys;
            texts = m_monthTexts;
        } else {
            // The merge starts only from a whole file: one that was cut,
            // damaged or shrank since it was last seen may have lost memos
            // this store still holds.
            bool whole = true;
            try {
                const RecordsRead read = ReadRecords(*current, keys, texts);
                whole = !read.trailing && (!m_seen || read.bytes >= m_seen->bytes);
                if (whole && m_seen && (read.bytes != m_seen->bytes || HashRecords(keys, texts) != m_seen->hash))
                    notice = ChangedFileText(m_path);
            } catch (const CArchiveException&) {
                whole = false;
            }
            if (!whole) {
                const platform::KeptAside kept = KeepDamagedCopy();
                if (!kept.kept)
                    throw CFileException(kFileInvalid, EINVAL, m_path);
                AddHeldDays(keys, texts);
                // Once: after this save the file is whole again. A file
                // already cut when read was reported then.
                if (m_seen)
                    notice = DamagedFileText(m_path, kept.path);
            }
            MergeInto(keys, texts);
        }

        // The new contents go to a file beside the old one, which is
        // replaced only once they are complete: a failure at any point
        // leaves the old file as it was.
        platform::ReplacingFile file(target.path, platform::UnwritableFolder::WriteInPlace,
                                     m_spareFolder.empty() ? settings::DataFolder() : m_spareFolder);
        const std::unique_ptr<IByteSink> filter = m_outputFilter ? m_outputFilter(file) : nullptr;
        WriteRecords(filter ? *filter : file, keys, texts);
        file.Commit();
    } catch (const CFileException& ex) {
        return WriteFailureText(ex.m_cause);
    }
    // The store is now the file: another copy's memos included.
    m_monthKeys = std::move(keys);
    m_monthTexts = std::move(texts);
    m_changedDays.clear();
    m_fileModified = false;
    m_syncedPath = m_path;
    m_synced = true;
    m_readAsPlainFile = !platform::FollowLinks(m_path).isLink;
    m_seen = Seen{RecordBytes(m_monthTexts), HashRecords(m_monthKeys, m_monthTexts)};
    if (const uint32_t month = m_loadedMonth; month != 0)
        LoadMonth(month);
    if (!notice.empty())
        m_ui.ShowMessage(notice, MessageIcon::Exclamation);
    return {};
}

void RecoverSpareCopies(IUserInterface& ui, const std::string& spareFolder)
{
    for (const platform::SpareCopy& copy : platform::SpareCopies(spareFolder)) {
        try {
            std::string bytes;
            {
                platform::InputFile spare(copy.path);
                char buffer[16384];
                while (const size_t n = spare.ReadSome(buffer, sizeof buffer))
                    bytes.append(buffer, n);
            }
            std::vector<uint32_t> keys;
            std::vector<std::string> texts;
            MemorySource whole(bytes);
            ReadRecords(whole, keys, texts); // not a whole personal file: not ours to judge
            // Held as a save holds it, so that a save in progress in
            // another copy is not taken for a crash.
            std::optional<platform::InputFile> current;
            try {
                current.emplace(copy.origin);
            } catch (const CFileException& ex) {
                if (ex.m_cause != kFileNotFound)
                    continue;
            }
            if (current) {
                if (!current->LockExclusive(std::chrono::seconds(2)))
                    continue;
                try {
                    keys.clear();
                    texts.clear();
                    ReadRecords(*current, keys, texts);
                    // The file is whole: the copy is only a leftover.
                    if (std::time(nullptr) - copy.modified > std::chrono::seconds(platform::kLeftoverAge).count())
                        platform::RemoveSpareCopy(copy);
                    continue;
                } catch (const CArchiveException&) {
                }
            }
            if (!ui.AskQuestion(Question::RestoreSpareCopy,
                                {platform::PathForMessage(copy.origin), platform::PathForMessage(copy.path)}))
                continue;
            if (current &&
                !platform::KeepAside(copy.origin, platform::AsideMode::Copy, platform::AsideClash::NumberAnother).kept)
                throw CFileException(kFileInvalid, EINVAL, copy.origin);
            platform::ReplacingFile file(copy.origin, platform::UnwritableFolder::WriteInPlace, spareFolder);
            file.Write(bytes.data(), bytes.size());
            file.Commit();
            platform::RemoveSpareCopy(copy);
        } catch (const CFileException& ex) {
            ui.ShowMessage(FileFailureMessage(ex.m_cause, ex.m_path.empty() ? copy.origin : ex.m_path),
                           MessageIcon::Exclamation);
        } catch (const CArchiveException&) {
        }
    }
}

void CPersonalFile::SaveIfModified()
{
    StoreMonth();
    if (m_fileModified)
        WriteFile();
}

} // namespace mirovan::view
