#pragma once
// Turns the loaded month into what the view shows: the day texts of the
// chosen member (command 16) and, on request, one day's list.
#include "program/groupdata/CScheduleEntry.h"

namespace mirovan {
class CGroup;
class CScheduleMonth;
}

namespace mirovan::shell {

class CShellApp;

class CScheduleSource {
public:
    CScheduleSource(CShellApp& app, CScheduleMonth& month, CGroup& group) : m_app(app), m_month(month), m_group(group) {}

    // Re-reads the displayed month's file and sends its texts; nothing in
    // personal mode or without a group.
    void Refresh();
    // Sends the texts of the entries already loaded.
    void SendMonthTexts();
    // Opens the list of the selected day; false when no day is selected.
    bool ShowDayList();

private:
    CShellApp& m_app;
    CScheduleMonth& m_month;
    CGroup& m_group;
};

} // namespace mirovan::shell
