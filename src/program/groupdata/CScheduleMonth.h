#pragma once
// One month of a group's schedule file, all members at once, with the
// replacement and deletion links resolved.
#include "program/groupdata/CLinkIndex.h"
#include "program/groupdata/CScheduleEntry.h"
#include "support/UserInterface.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace mirovan {

class CGroup;
class IByteSource;

class CScheduleMonth {
public:
    CScheduleMonth(const CGroup& group, IUserInterface& ui);
    ~CScheduleMonth();
    CScheduleMonth(const CScheduleMonth&) = delete;
    CScheduleMonth& operator=(const CScheduleMonth&) = delete;

    void SetMonth(DateValue month);
    const DateValue& Month() const { return m_month; }
    void RecomputePath();
    const std::string& Path() const { return m_path; }

    // How a reading of the month's file ended. No file is a whole month
    // without entries; Refused has been reported to the user (damaged, no
    // regular file, above kMaxFileBytes); Unreadable is a failure of the
    // medium (a share gone), reported by nothing here.
    enum class ReadOutcome { Whole, CutOff, Refused, Unreadable };

    // Far beyond any real month (some hundred bytes an entry): a larger
    // file is refused before anything is read, as it would cost several
    // times its size in memory at every refresh.
    static constexpr uint64_t kMaxFileBytes = uint64_t{256} << 20;

    void Load();
    // The same for a file that others may be writing: anything but a whole
    // reading leaves the loaded entries and links as they were.
    ReadOutcome LoadIfWhole();
    // The same from a stream; returns when the stream ends.
    void LoadFrom(IByteSource& source);
    void Clear();
    void Link();

    // A month file that is there but that the last load could not read,
    // or not as entries: a missing file or a record cut off at the end is
    // none. Told: the load said so through the ui; the month view passes
    // over the rest in silence, the command line must not.
    struct ReadFailure {
        int cause = 0; // a FileCause; 0 when none
        bool told = false;
    };
    const ReadFailure& LastReadFailure() const { return m_readFailure; }

    int EntryCount() const { return static_cast<int>(m_entries.size()); }
    const CScheduleEntry& EntryAt(int index) const { return m_entries.at(static_cast<size_t>(index)); }
    const CLinkIndex& LinkIndex() const { return m_linkIndex; }

    // The month file beside a group file: its path up to the last "."
    // (nothing of it without one) and "%d%02d.sch".
    static std::string MonthFilePath(const std::string& groupPath, int year, int month);

private:
    // Appends the file's entries.
    ReadOutcome ReadPath();

    const CGroup& m_group;
    IUserInterface& m_ui;
    // The bytes the entries refer to: the file read whole, and the strings
    // of entries that stored any as UTF-16, converted.
    struct Bytes {
        std::unique_ptr<char[]> data;
        size_t size = 0;
        std::deque<std::string> converted;
    };
    std::vector<Bytes> m_bytes;
    std::vector<CScheduleEntry> m_entries;
    std::string m_path;
    DateValue m_month;
    CLinkIndex m_linkIndex;
    ReadFailure m_readFailure;
};

} // namespace mirovan
