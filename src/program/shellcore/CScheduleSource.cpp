#include "program/shellcore/CScheduleSource.h"

#include "program/groupdata/CGroup.h"

namespace mirovan::shell {

void CScheduleSource::Refresh() { Refresh(false); }

CScheduleMonth::ReadOutcome CScheduleSource::RefreshIfWhole() { return Refresh(true); }

CScheduleMonth::ReadOutcome CScheduleSource::Refresh(bool wholeOnly)
{
    using Outcome = CScheduleMonth::ReadOutcome;
    if (!m_host.IsScheduleMode())
        return Outcome::Whole;
    m_month.SetMonth(m_host.DisplayedMonth());
    if (m_group.Path().empty())
        return Outcome::Whole;
    m_month.RecomputePath();
    if (!wholeOnly) {
        m_month.Load();
    } else if (const Outcome outcome = m_month.LoadIfWhole(); outcome != Outcome::Whole) {
        return outcome;
    }
    m_month.Link();
    SendMonthTexts();
    return Outcome::Whole;
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
