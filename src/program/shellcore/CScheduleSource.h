#pragma once
// Turns the loaded month into what the view shows: the day texts of the
// chosen member and, on request, one day's list.
#include "program/groupdata/CScheduleEntry.h"
#include "program/groupdata/CScheduleMonth.h"
#include "program/groupdata/ScheduleTexts.h"

#include <optional>

namespace mirovan {
class CGroup;
}

namespace mirovan::shell {

// What the source asks of the program and its view.
class IScheduleHost {
public:
    virtual ~IScheduleHost() = default;
    virtual bool IsScheduleMode() = 0;
    virtual DateValue DisplayedMonth() = 0;
    virtual bool ShowsEndTime() = 0;
    virtual void SetDayTexts(const MonthTexts& texts) = 0;
    // Null when no day is selected.
    virtual std::optional<DateValue> SelectedDay() = 0;
    virtual void ShowDayList(const DayList& day) = 0;
};

class CScheduleSource {
public:
    CScheduleSource(IScheduleHost& host, CScheduleMonth& month, CGroup& group)
        : m_host(host), m_month(month), m_group(group)
    {
    }

    // Re-reads the displayed month's file and sends its texts; nothing in
    // personal mode or without a group, empty texts without a member.
    void Refresh();
    // The same for a file others may be writing: nothing is sent unless
    // it reads whole, and what was loaded stays.
    CScheduleMonth::ReadOutcome RefreshIfWhole();
    // Sends the texts of the entries already loaded.
    void SendMonthTexts();
    // Opens the list of the selected day; false when no day is selected.
    bool ShowDayList();

private:
    CScheduleMonth::ReadOutcome Refresh(bool wholeOnly);

    IScheduleHost& m_host;
    CScheduleMonth& m_month;
    CGroup& m_group;
};

} // namespace mirovan::shell
