#include "program/shellcore/CScheduleSource.h"

#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"

namespace mirovan::shell {

void CScheduleSource::Refresh() { Refresh(false); }

bool CScheduleSource::RefreshIfWhole() { return Refresh(true); }

bool CScheduleSource::Refresh(bool wholeOnly)
{
    if (!m_host.IsScheduleMode())
        return true;
    m_month.SetMonth(m_host.DisplayedMonth());
    if (m_group.Path().empty())
        return true;
    m_month.RecomputePath();
    if (!wholeOnly)
        m_month.Load();
    else if (!m_month.LoadIfWhole())
        return false;
    m_month.Link();
    SendMonthTexts();
    return true;
}

void CScheduleSource::SendMonthTexts()
{
    // No member chosen, or a group that did not read. The month is read
    // all the same, so that its file's faults are still told.
    const std::string member = SelectedMemberCode(m_group);
    if (member.empty()) {
        m_host.SetDayTexts(MonthTexts{});
        return;
    }
    m_host.SetDayTexts(BuildMonthTexts(m_month, member, m_host.ShowsEndTime()));
}

bool CScheduleSource::ShowDayList()
{
    // Without a selected cell there is no day to list.
    const std::optional<DateValue> selected = m_host.SelectedDay();
    if (!selected)
        return false;
    const DayList day = BuildDayList(m_month, SelectedMemberCode(m_group), *selected);
    if (day.title.empty())
        return false;
    m_host.ShowDayList(day);
    return true;
}

} // namespace mirovan::shell
