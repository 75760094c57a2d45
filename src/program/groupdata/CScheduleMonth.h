#pragma once
// One month of a group's schedule file, all members at once, with the
// replacement and deletion links resolved.
#include "program/groupdata/CLinkIndex.h"
#include "program/groupdata/CScheduleEntry.h"
#include "support/UserInterface.h"

#include <cstddef>
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

    void Load();
    // The same for a file that others may be writing: one cut off inside
    // a record leaves the loaded entries and links as they were and
    // returns false, to be read again once whole.
    bool LoadIfWhole();
    // The same from a stream; returns when the stream ends.
    void LoadFrom(IByteSource& source);
    void Clear();
    void Link();

    int EntryCount() const { return static_cast<int>(m_entries.size()); }
    const CScheduleEntry& EntryAt(int index) const { return m_entries.at(static_cast<size_t>(index)); }
    const CLinkIndex& LinkIndex() const { return m_linkIndex; }

    // The month file beside a group file: its path up to the last "."
    // (nothing of it without one) and "%d%02d.sch".
    static std::string MonthFilePath(const std::string& groupPath, int year, int month);

private:
    enum class ReadOutcome { Whole, CutOff, Failed };
    // Appends the file's entries, reporting every failure but a cut-off.
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
};

} // namespace mirovan
