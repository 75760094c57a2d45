#pragma once
// iCalendar (RFC 5545) files of what the month view shows: a member's
// schedule entries as timed events in Asia/Tokyo, or the personal memos
// as all-day events. Two exports of unchanged files are byte-identical:
// every stamp comes from the files, never from the clock.
#include "program/groupdata/ScheduleTexts.h"

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirovan {
class CGroup;
class CScheduleMonth;
class IUserInterface;
namespace personal {
class CPersonalMemos;
}
} // namespace mirovan

namespace mirovan::calendar {

// The months an export covers: count months from (year, month).
struct MonthRange {
    int year = 0;
    int month = 0;
    int count = 1;
};

// The group's selected member's entries of each month of the range, read
// from the month files beside the group file with the visibility and link
// rules of the month view. Month files that are missing give no events;
// those that are there but could not be read are added to unreadable, when
// given, with the reason (CScheduleMonth::LastReadFailure).
// Returns the calendar as UTF-8 text with CRLF line ends.
struct UnreadableMonth {
    std::string path;
    int cause = 0;
    bool told = false;
};
std::string ExportSchedule(const CGroup& group, IUserInterface& ui, const MonthRange& range,
                           std::vector<UnreadableMonth>* unreadable = nullptr);

// One loaded month of a member's calendar: the month read and linked and
// the member's visible entries of it.
struct ScheduleMonthEntries {
    int year = 0;
    int month = 0;
    const CScheduleMonth* loaded = nullptr;
    DayEntries days;
};

// A member's calendar as ExportSchedule writes it, from months already
// read (so that many members share one read of each month), with the UID
// of each event in the order the events appear in the text.
struct ScheduleCalendar {
    std::string text;
    std::vector<std::string> uids;
};
ScheduleCalendar BuildScheduleCalendar(const CGroup& group, int memberIndex,
                                       const std::vector<ScheduleMonthEntries>& months);

// Each event of a calendar as a calendar of its own, the text of the event
// as it is in the whole one, with the same head and time zone: the files
// of a vdir, one per UID.
struct EventFile {
    std::string uid;
    std::string text;
};
std::vector<EventFile> SplitEvents(const ScheduleCalendar& calendar);

// What follows "@" in the UIDs of a group's events. The group's name alone
// would give two groups of the same name in different folders the same
// UIDs, so the names of the group file and of its folder (links followed)
// are part of it: "<group name>.<file name without .group>.<folder name>.mirovan",
// each part with every byte but letters, digits, ".", "-" and "_" as %XX.
std::string GroupUidDomain(const CGroup& group);

// Reads the personal file for an export, reporting an unreadable or cut
// file through ui; false then. Never creates or writes the file.
bool ReadPersonalFile(personal::CPersonalMemos& memos, const std::string& path, IUserInterface& ui);

// The memos of the range from memos that have read their file; stamp is
// the personal file's last change.
std::string ExportMemos(personal::CPersonalMemos& memos, const MonthRange& range, std::optional<std::time_t> stamp);

// How many events a calendar made above holds.
int CountEvents(std::string_view calendar);

// Writes a calendar to a file, replacing it only when the whole text is
// written; through a link to its target, straight into a device or FIFO. Returns the report of a failure, naming the
// file and the cause; empty on success.
std::string WriteCalendarFile(const std::string& path, const std::string& text);

// What names an entry of a loaded month across exports, since the file
// carries no identity of its own: records are only appended, so a record's
// position stays. A replacement (or a deletion record that is itself shown)
// takes the identity of the record it replaces, following the chain, so a
// calendar client updates the event instead of adding one: "r<index>".
// Other linked kinds supersede only earlier records with the same link and
// leave the target shown, so they form a series of their own: "s<index>".
std::string RecordIdentity(const CScheduleMonth& month, int index);

} // namespace mirovan::calendar
