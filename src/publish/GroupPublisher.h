#pragma once
// One group as published: its file read once, each month of the window
// read once for all its members, and the files of DIR/<G>/ written from
// them. In --watch it stays, so that a changed month is read again alone
// and only what it touches is written.
#include "program/calendar/IcsCalendar.h"
#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"
#include "program/groupdata/ScheduleTexts.h"
#include "support/platform/Clock.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace mirovan {
class CHolidayTables;
}

namespace mirovan::publish {

class OutputFolder;
struct PageLink;

struct PublishSettings {
    calendar::MonthRange window;
    platform::LocalDate today;
    std::string baseUrl; // ends in "/" when given; empty: feeds shown as relative links
};

class GroupPublisher {
public:
    GroupPublisher(std::string groupPath, IUserInterface& ui, const CHolidayTables& holidays);
    ~GroupPublisher();

    const std::string& GroupPath() const { return m_groupPath; }
    // <G>: the group file's name without ".group", as FileNameOf makes it.
    const std::string& FolderName() const { return m_folder; }
    std::string DisplayName() const;

    // Reads the group file; false when it could not be read at all. With
    // wholeOnly a file still being written is left for later (false, and
    // cutOff set).
    bool ReadGroup(bool wholeOnly, bool* cutOff = nullptr);
    // Points the months at the window and reads them all; false when one
    // that is there could not be read.
    bool ReadMonths(const calendar::MonthRange& window, bool wholeOnly);
    // Reads one month of the window again; false when it is cut off or
    // unreadable (told, naming the file and why), and the month stays as
    // it was.
    bool ReadMonth(int index, bool wholeOnly);
    // The last reading of the month failed (not merely cut off).
    bool MonthUnreadable(int index) const;
    int MonthCount() const { return static_cast<int>(m_months.size()); }
    std::string MonthPath(int index) const;

    // Writes the group's files. changed: the months whose pages and
    // members' feeds are to be written; nullopt for everything.
    void Write(OutputFolder& out, const PublishSettings& settings, const std::optional<std::set<int>>& changed);

private:
    struct Month;
    struct Member {
        int index;
        std::string name; // file name
    };
    std::vector<Member> PublishedMembers() const;
    void Index(Month& month);
    void WriteMember(OutputFolder& out, const PublishSettings& settings, const Member& member, bool feed,
                     const std::set<int>& pages);
    void RemoveGone(OutputFolder& out, const std::vector<Member>& members);
    // The group weeks of the published months: those touching a changed
    // month, or all of them; returns the link to each month's first week.
    std::vector<PageLink> WriteWeeks(OutputFolder& out, const PublishSettings& settings,
                                     const std::optional<std::set<int>>& changed);
    // The month of the window a day falls in; -1 when none.
    int MonthIndexOf(int year, int month) const;

    std::string m_groupPath;
    std::string m_folder;
    IUserInterface& m_ui;
    const CHolidayTables& m_holidays;
    CGroup m_group;
    std::vector<std::unique_ptr<Month>> m_months;
};

} // namespace mirovan::publish
