#pragma once
// The store of the personal file (*.mvp) while the view edits it: one free
// text per day, kept as one TAB-joined text per month. Only the loaded
// month is split into days; every other month stays a single string until
// it is touched. The bytes are personalformat's; the saving is the store's.
#include "support/DayKey.h"
#include "support/UserInterface.h"
#include "support/platform/KeepAside.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mirovan {
class IByteSource;
class IByteSink;
} // namespace mirovan

namespace mirovan::view {

class CPersonalFile {
public:
    // A read-only store never writes: a missing file is reported, not
    // created, and nothing is saved on destruction. Whoever only reads the
    // memos needs no store: see personal::CPersonalMemos.
    enum class Persistence { ReadWrite, ReadOnly };

    // ui must outlive the store: the destructor may report a failed save.
    explicit CPersonalFile(IUserInterface& ui, Persistence persistence = Persistence::ReadWrite);
    // Folds the loaded month back and writes the file when the store changed.
    virtual ~CPersonalFile();
    CPersonalFile(const CPersonalFile&) = delete;
    CPersonalFile& operator=(const CPersonalFile&) = delete;

    // Only stores the path; reads nothing.
    void SetPath(const std::string& path) { m_path = path; }
    const std::string& Path() const { return m_path; }

    // Replaces the store with the file's records. Unsaved changes are
    // first saved to the file they were made on, asking as before closing
    // when that fails; going back there keeps the store and reads nothing
    // (false). Open and read failures are reported; a missing file is
    // created empty. A file that ends inside a record throws
    // CArchiveException (kArchiveEndOfFile), the records before it kept.
    // True when the whole file was read.
    bool ReadFile();
    // False after a read that failed on an existing file: the store does
    // not show the memos on disk, so none may be typed over them.
    bool IsEditable() const { return !m_readFailed; }
    // Copies a file that ReadFile could not read whole aside, since the
    // next save would replace the unread rest.
    platform::KeptAside KeepDamagedCopy() const;
    // Writes the days this store changed into the file as it is on disk
    // now (read under the lock, merged, replaced atomically), so memos
    // another copy saved meanwhile stay; the store then holds the merged
    // file. A missing file, or a path other than the one read, gets the
    // whole store. A failure is reported and leaves the old file intact
    // and the store modified. True when written.
    bool WriteFile();
    void SaveIfModified();
    // The save before the store's window closes: a changed store is
    // written, and each failure asks whether to retry, write the whole
    // store to another file or drop the changes; with mayCancel the user
    // may also go back. False when the user went back, with the store and
    // its path as they were. Once saved to another file, that file is the
    // store's path and the moved handler hears of it.
    bool SaveBeforeClosing(bool mayCancel);
    using MovedHandler = std::function<void(const std::string& from, const std::string& to)>;
    void SetMovedHandler(MovedHandler handler) { m_moved = std::move(handler); }

    // Always 1; out is empty for a day without text.
    int GetDayText(uint32_t dayKey, std::string& out);
    void SetDayText(uint32_t dayKey, const std::string& text);

    // Folds the loaded month back, then splits the month's record into the
    // day texts: 1 when it has a record, 0 when not.
    int LoadMonth(uint32_t monthKey);
    // Folds the loaded month's day texts back into its record when changed.
    void StoreMonth();

    // The record part of ReadFile and WriteFile on any stream. ReadFrom
    // replaces the store and throws the stream's exceptions.
    void ReadFrom(IByteSource& source);
    void WriteTo(IByteSink& sink) const;

    size_t RecordCount() const { return m_monthKeys.size(); }
    uint32_t MonthKeyAt(size_t index) const { return m_monthKeys.at(index); }
    const std::string& MonthTextAt(size_t index) const { return m_monthTexts.at(index); }
    const std::vector<std::string>& DayTexts() const { return m_dayTexts; }
    uint32_t LoadedMonth() const { return m_loadedMonth; }
    int32_t RecordIndex() const { return m_recordIndex; }
    bool IsMonthModified() const { return m_monthModified; }
    bool IsFileModified() const { return m_fileModified; }

    // Puts a medium between WriteFile and the new file, for tests that
    // make the write fail part way.
    using OutputFilter = std::function<std::unique_ptr<IByteSink>(IByteSink& file)>;
    void SetOutputFilter(OutputFilter filter) { m_outputFilter = std::move(filter); }
    // How long a save waits for other copies' locks on the file, and a
    // read for a save in progress.
    void SetLockWait(std::chrono::milliseconds wait) { m_lockWait = wait; }
    // Where a complete copy of the old file is kept while a file in a
    // folder without write rights is written in place.
    void SetSpareFolder(const std::string& folder) { m_spareFolder = folder; }

private:
    void Clear();
    // The question before the store is replaced; false when the user went back.
    bool SaveBeforeReplacing();
    // Loads the day key's month unless it is the loaded one; false for a
    // key that names no day.
    bool SwitchToMonthOf(uint32_t dayKey);
    void ReportReadFailure(int fileCause);
    std::string WriteFailureText(int fileCause) const;
    // WriteFile without the report: the failure's text, empty on success.
    std::string TryWrite();
    // Applies the changed days to records read from the file.
    void MergeInto(std::vector<uint32_t>& keys, std::vector<std::string>& texts) const;
    // Puts every day this store holds text for into the records where they
    // have none: what a cut or damaged file lost comes back.
    void AddHeldDays(std::vector<uint32_t>& keys, std::vector<std::string>& texts) const;

    IUserInterface& m_ui;
    Persistence m_persistence;
    OutputFilter m_outputFilter;
    MovedHandler m_moved;
    std::chrono::milliseconds m_lockWait{2000};
    std::string m_spareFolder;

    std::string m_path;
    bool m_monthModified = false;
    bool m_fileModified = false;
    std::vector<std::string> m_dayTexts;
    std::vector<std::string> m_monthTexts;
    std::vector<uint32_t> m_monthKeys;
    int32_t m_recordIndex = -1;
    uint32_t m_loadedMonth = 0;
    // The days set since the file was last read or written, by day key:
    // what a save merges into the file as it is then.
    std::map<uint32_t, std::string> m_changedDays;
    // The path the store was last read from or written to; a save to any
    // other path writes the whole store.
    std::string m_syncedPath;
    bool m_synced = false;
    // The path was a plain file when read: a link found there at a save was
    // put there by someone else meanwhile.
    bool m_readAsPlainFile = false;
    bool m_readFailed = false;
    // The file as last read whole or written: how many bytes its records
    // took and a hash of them. Unknown after a failed or cut read.
    struct Seen {
        uint64_t bytes = 0;
        size_t hash = 0;
    };
    std::optional<Seen> m_seen;
};

// Spare copies that saves in place killed midway left in the folder: each
// that is now the only complete copy of its file (the file cut short or
// gone) is offered back, the cut file kept aside first; one its file no
// longer needs is removed once it is a day old.
void RecoverSpareCopies(IUserInterface& ui, const std::string& spareFolder);

} // namespace mirovan::view
