#include "program/shell/CScheduleSource.h"

#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"
#include "program/groupdata/ScheduleTexts.h"
#include "program/shell/CShellApp.h"

#include <memory>
#include <vector>

namespace mirovan::shell {
namespace {

// The C form of a list of strings; points into the strings it was made of.
struct StringListView {
    explicit StringListView(const std::vector<std::string>& lines)
    {
        pointers.reserve(lines.size());
        for (const auto& line : lines)
            pointers.push_back(line.c_str());
        list.count = static_cast<int32_t>(pointers.size());
        list.items = pointers.data();
    }
    StringListView(const StringListView&) = delete;
    StringListView& operator=(const StringListView&) = delete;

    std::vector<const char*> pointers;
    MVSTRINGLIST list{};
};

} // namespace

void CScheduleSource::Refresh()
{
    if (!m_app.IsScheduleMode())
        return;
    m_month.SetMonth(m_app.DisplayedMonth());
    if (m_group.Path().empty())
        return;
    m_month.RecomputePath();
    m_month.Load();
    m_month.Link();
    SendMonthTexts();
}

void CScheduleSource::SendMonthTexts()
{
    const MonthTexts texts = BuildMonthTexts(m_month, SelectedMemberCode(m_group), m_app.Settings().endTime != 0);
    std::vector<std::unique_ptr<StringListView>> views;
    std::vector<MVSTRINGLIST> lists;
    views.reserve(texts.size());
    lists.reserve(texts.size());
    for (const auto& day : texts) {
        views.push_back(std::make_unique<StringListView>(day));
        lists.push_back(views.back()->list);
    }
    m_app.SendViewCommand(VC_SETDAYTEXTS, reinterpret_cast<intptr_t>(lists.data()));
}

bool CScheduleSource::ShowDayList()
{
    DATEREC selected{0.0, 0};
    // Without a selected cell there is no day to list.
    if (m_app.SendViewCommand(VC_GETSELDATE, reinterpret_cast<intptr_t>(&selected)) != 0)
        return false;
    const DayList day = BuildDayList(m_month, SelectedMemberCode(m_group), DateValue{selected.date, selected.status});
    if (day.title.empty())
        return false;
    const StringListView times(day.times);
    const StringListView contents(day.contents);
    const StringListView remarks(day.remarks);
    if (ShowListDialogProc show = m_app.ListFunction())
        show(day.title.c_str(), &times.list, &contents.list, &remarks.list, day.entries.data());
    return true;
}

} // namespace mirovan::shell
