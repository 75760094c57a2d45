#include "publish/GroupPublisher.h"

#include "publish/FileName.h"
#include "publish/Html.h"
#include "publish/OutputFolder.h"

#include "JapaneseHolidays.h"
#include "program/groupdata/GroupWeek.h"
#include "program/groupdata/Holidays.h"
#include "support/Codepage.h"
#include "support/DayColour.h"
#include "support/FileMessage.h"
#include "support/OleDate.h"
#include "support/platform/Platform.h"

#include <cstdio>

namespace mirovan::publish {

struct GroupPublisher::Month {
    Month(const CGroup& group, IUserInterface& ui) : loaded(group, ui) {}
    int year = 0;
    int month = 0;
    CScheduleMonth loaded;
    std::map<std::string, DayEntries, std::less<>> byMember;
    // The owners of entries at the read before: their pages and feeds
    // change when they lose all of them too.
    std::set<std::string> previousOwners;
    // Each day's colour and holiday name, the same on every member's page.
    struct DayLook {
        DayKind kind = DayKind::Ordinary;
        std::string holiday;
    };
    std::vector<DayLook> days;
};

namespace {

std::string Text(std::string_view cp932) { return codepage::ToUtf8Lines(cp932); }

std::string MonthName(int year, int month)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d", year, month);
    return buffer;
}

std::string MonthTitle(int year, int month) { return std::to_string(year) + "年" + std::to_string(month) + "月"; }

std::string Trimmed(std::string text)
{
    const size_t first = text.find_first_not_of(' ');
    const size_t last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// The day some days later; the same day past the calendar's end.
groupweek::Day Shifted(const groupweek::Day& day, int days)
{
    const auto civil = FromOleDate(static_cast<double>(OleDayNumber(day.year, day.month, day.day) + days));
    return civil ? groupweek::Day{civil->year, civil->month, civil->day} : day;
}

// The start of a vdir file's name, as its event's UID begins.
std::string YearMonthKey(int year, int month)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d%02d-", year, month);
    return buffer;
}

// Names as the publisher makes them: "2007-02.html", "2007-02-04.html".
bool IsDateName(std::string_view name, size_t parts)
{
    const std::string_view suffix = ".html";
    const size_t digits = 4 + 3 * (parts - 1);
    if (name.size() != digits + suffix.size() || name.substr(digits) != suffix)
        return false;
    for (size_t i = 0; i < digits; ++i)
        if (i >= 4 && (i - 4) % 3 == 0 ? name[i] != '-' : (name[i] < '0' || name[i] > '9'))
            return false;
    return true;
}

const DayEntries& NoEntries()
{
    static const DayEntries none;
    return none;
}

} // namespace

GroupPublisher::GroupPublisher(std::string groupPath, IUserInterface& ui, const CHolidayTables& holidays)
    : m_groupPath(std::move(groupPath)), m_ui(ui), m_holidays(holidays),
      m_group(ui, nullptr, CGroup::Persistence::ReadOnly)
{
    std::string stem = m_groupPath.substr(m_groupPath.find_last_of('/') + 1);
    if (stem.size() > 6 && stem.compare(stem.size() - 6, 6, ".group") == 0)
        stem.resize(stem.size() - 6);
    m_folder = FileNameOf(stem);
}

GroupPublisher::~GroupPublisher() = default;

std::string GroupPublisher::DisplayName() const
{
    const std::string name = Text(m_group.Name());
    return name.empty() ? platform::PathForMessage(m_groupPath) : name;
}

bool GroupPublisher::ReadGroup(bool wholeOnly, bool* cutOff)
{
    if (cutOff)
        *cutOff = false;
    // Watching, the group read before is kept until the file reads whole.
    if (wholeOnly && !m_group.Path().empty() && m_group.Path() == m_groupPath) {
        switch (m_group.ReloadIfChanged()) {
        case CGroup::Reload::Same:
        case CGroup::Reload::Replaced: return true;
        case CGroup::Reload::CutOff:
            if (cutOff)
                *cutOff = true;
            return false;
        case CGroup::Reload::Unreadable: break;
        }
    }
    // A group cut off after some members is published with them, as the
    // program lists them.
    return m_group.ReadFile(m_groupPath) != 0 || m_group.MemberCount() > 0;
}

std::string GroupPublisher::MonthPath(int index) const
{
    return m_months.at(static_cast<size_t>(index))->loaded.Path();
}

bool GroupPublisher::MonthUnreadable(int index) const
{
    return m_months.at(static_cast<size_t>(index))->loaded.LastReadFailure().cause != 0;
}

bool GroupPublisher::ReadMonths(const calendar::MonthRange& window, bool wholeOnly)
{
    m_months.clear();
    int year = window.year;
    int month = window.month;
    bool all = true;
    for (int i = 0; i < window.count; ++i) {
        auto& m = m_months.emplace_back(std::make_unique<Month>(m_group, m_ui));
        m->year = year;
        m->month = month;
        m->loaded.SetMonth(DateValue{ToOleDate(year, month, 1).value_or(0.0), DateValue::kValid});
        for (int day = 1; day <= DaysInMonth(year, month); ++day) {
            Month::DayLook& look = m->days.emplace_back();
            const int status = m_holidays.GetHolidayStatus(year, month, day);
            look.kind = KindOfDay(Weekday(year, month, day), status, m_holidays.PlainWeekends());
            if (status == CHolidayTables::kHoliday) {
                const auto named = holidaycalc::HolidayOn(year, month, day);
                look.holiday = named ? named->name : "休日";
            }
        }
        all = ReadMonth(i, wholeOnly) && all;
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    return all;
}

bool GroupPublisher::ReadMonth(int index, bool wholeOnly)
{
    Month& m = *m_months.at(static_cast<size_t>(index));
    if (wholeOnly) {
        if (m.loaded.LoadIfWhole() != CScheduleMonth::ReadOutcome::Whole)
            return false;
    } else {
        m.loaded.Load();
    }
    if (const auto& failure = m.loaded.LastReadFailure(); failure.cause) {
        // A service's log is the only place an administrator learns which
        // file it may not read (a share's permissions, most often).
        if (!failure.told)
            m_ui.ShowMessage(FileFailureMessage(failure.cause, m.loaded.Path()), MessageIcon::Exclamation);
        return false;
    }
    m.loaded.Link();
    Index(m);
    return true;
}

void GroupPublisher::Index(Month& month)
{
    month.previousOwners.clear();
    for (const auto& [code, days] : month.byMember)
        month.previousOwners.insert(code);
    month.byMember = VisibleEntriesByMember(month.loaded);
}

std::vector<GroupPublisher::Member> GroupPublisher::PublishedMembers() const
{
    // Hidden members are never published; a code given twice belongs to
    // its first member, as the export's --member finds it.
    std::vector<Member> members;
    std::set<std::string> names;
    for (int i = 0; i < m_group.MemberCount(); ++i) {
        const CMember m = m_group.MemberAt(i);
        if (m.IsHidden())
            continue;
        std::string name = FileNameOf(CodeText(m.Code()));
        if (names.insert(name).second)
            members.push_back({i, std::move(name)});
    }
    return members;
}

void GroupPublisher::Write(OutputFolder& out, const PublishSettings& settings,
                           const std::optional<std::set<int>>& changed)
{
    const std::vector<Member> members = PublishedMembers();
    std::set<int> pages;
    for (int i = 0; i < MonthCount(); ++i)
        if (!changed || changed->count(i))
            pages.insert(i);
    for (const Member& member : members) {
        const std::string code(m_group.MemberAt(member.index).Code());
        bool feed = !changed;
        for (int i : pages) {
            const Month& m = *m_months[static_cast<size_t>(i)];
            feed = feed || m.byMember.count(code) || m.previousOwners.count(code);
        }
        WriteMember(out, settings, member, feed, pages);
        if (!changed) {
            // Months that left the window go; vdir entries go with the
            // feed, week pages with the weeks.
            std::set<std::string> keep;
            for (const auto& month : m_months)
                keep.insert(MonthName(month->year, month->month) + ".html");
            out.RemoveOthers(
                m_folder + "/" + member.name, [](std::string_view n) { return IsDateName(n, 2); }, keep);
        }
    }
    const std::vector<PageLink> weeks = WriteWeeks(out, settings, changed);
    if (!changed)
        RemoveGone(out, members);

    ListPage index;
    index.title = DisplayName();
    index.up = {"グループの一覧", "../index.html"};
    int current = 0;
    for (int i = 0; i < MonthCount(); ++i)
        if (m_months[static_cast<size_t>(i)]->year == settings.today.year &&
            m_months[static_cast<size_t>(i)]->month == settings.today.month)
            current = i;
    for (const Member& member : members) {
        const CMember m = m_group.MemberAt(member.index);
        const std::string folder = UrlSegment(member.name);
        ListPage::Item item;
        const std::string name = Text(m.Name());
        item.link.text = name.empty() ? CodeText(m.Code()) : name;
        if (MonthCount() > 0) {
            const Month& month = *m_months[static_cast<size_t>(current)];
            item.link.href = folder + "/" + MonthName(month.year, month.month) + ".html";
        }
        item.more.push_back({"予定表の購読（iCalendar）", folder + ".ics"});
        index.items.push_back(std::move(item));
    }
    index.linksTitle = "グループの週の予定（空き時間つき）";
    index.links = weeks;
    index.note = "各メンバーの予定表は、カレンダーアプリに「URLで購読」として追加できます。";
    out.Write(m_folder + "/index.html", RenderListPage(index));
    out.Finish();
}

void GroupPublisher::WriteMember(OutputFolder& out, const PublishSettings& settings, const Member& member, bool feed,
                                 const std::set<int>& pages)
{
    const CMember m = m_group.MemberAt(member.index);
    const std::string code(m.Code());
    const auto daysOf = [&](const Month& month) -> const DayEntries& {
        const auto it = month.byMember.find(code);
        return it == month.byMember.end() ? NoEntries() : it->second;
    };
    const std::string feedName = member.name + ".ics";
    if (feed) {
        std::vector<calendar::ScheduleMonthEntries> months;
        for (const auto& month : m_months)
            months.push_back({month->year, month->month, &month->loaded, daysOf(*month)});
        const calendar::ScheduleCalendar calendar = calendar::BuildScheduleCalendar(m_group, member.index, months);
        out.Write(m_folder + "/" + feedName, calendar.text);
        const std::string vdir = m_folder + "/vdir/" + member.name;
        // An event's file starts with its month ("200702-"): the events of
        // months not read again are as they were, and are left alone.
        const bool all = pages.size() == m_months.size();
        std::set<std::string> read;
        for (int i : pages)
            read.insert(YearMonthKey(m_months[static_cast<size_t>(i)]->year, m_months[static_cast<size_t>(i)]->month));
        const std::function<bool(std::string_view)> ofPages = [&](std::string_view name) {
            return name.size() > 7 && read.count(std::string(name.substr(0, 7))) && name.ends_with(".ics");
        };
        std::set<std::string> keep;
        for (const calendar::EventFile& event : calendar::SplitEvents(calendar)) {
            // Every UID of a member ends in the same "-<code>@<group>".
            const std::string local = event.uid.substr(0, event.uid.find('@'));
            std::string name = FileNameOf(local) + ".ics";
            if (!all && !ofPages(name))
                continue;
            out.Write(vdir + "/" + name, event.text);
            keep.insert(std::move(name));
        }
        out.MakeFolders(vdir);
        if (all)
            out.RemoveOthers(vdir, ".ics", keep);
        else
            out.RemoveOthers(vdir, ofPages, keep);
    }

    const std::string memberName = Text(m.Name()).empty() ? CodeText(code) : Text(m.Name());
    const std::string feedHref = "../" + UrlSegment(feedName);
    const std::string feedUrl =
        settings.baseUrl.empty() ? std::string() : settings.baseUrl + UrlSegment(m_folder) + "/" + UrlSegment(feedName);
    for (int i : pages) {
        const Month& month = *m_months[static_cast<size_t>(i)];
        MonthPage page;
        page.groupName = DisplayName();
        page.memberName = memberName;
        page.year = month.year;
        page.month = month.month;
        page.up = {DisplayName(), "../index.html"};
        if (i > 0) {
            const Month& p = *m_months[static_cast<size_t>(i - 1)];
            page.previous = {"← " + MonthTitle(p.year, p.month), MonthName(p.year, p.month) + ".html"};
        }
        if (i + 1 < MonthCount()) {
            const Month& n = *m_months[static_cast<size_t>(i + 1)];
            page.next = {MonthTitle(n.year, n.month) + " →", MonthName(n.year, n.month) + ".html"};
        }
        page.feedHref = feedHref;
        page.feedUrl = feedUrl;
        const DayEntries& days = daysOf(month);
        const int lead = Weekday(month.year, month.month, 1);
        page.cells.resize(static_cast<size_t>(lead));
        const int count = DaysInMonth(month.year, month.month);
        for (int day = 1; day <= count; ++day) {
            DayCell cell;
            cell.day = day;
            const Month::DayLook& look = month.days[static_cast<size_t>(day - 1)];
            cell.kind = look.kind;
            cell.holiday = look.holiday;
            cell.today =
                settings.today.year == month.year && settings.today.month == month.month && settings.today.day == day;
            for (const CScheduleEntry* e : days[static_cast<size_t>(day - 1)]) {
                DayCell::Entry entry;
                entry.time = Trimmed(Text(RangeText(*e)));
                entry.tentative = (e->Flags() & CScheduleEntry::kTentative) != 0;
                entry.content = Text(e->Content());
                entry.remarks = Text(e->Remarks());
                cell.entries.push_back(std::move(entry));
            }
            page.cells.push_back(std::move(cell));
        }
        while (page.cells.size() % 7)
            page.cells.emplace_back();
        out.Write(m_folder + "/" + member.name + "/" + MonthName(month.year, month.month) + ".html",
                  RenderMonthPage(page));
    }
}

int GroupPublisher::MonthIndexOf(int year, int month) const
{
    if (m_months.empty())
        return -1;
    const int index = (year - m_months.front()->year) * 12 + month - m_months.front()->month;
    return index >= 0 && index < MonthCount() ? index : -1;
}

std::vector<PageLink> GroupPublisher::WriteWeeks(OutputFolder& out, const PublishSettings& settings,
                                                 const std::optional<std::set<int>>& changed)
{
    using groupweek::Day;
    const std::string folder = m_folder + "/week";
    std::vector<PageLink> links;
    std::set<std::string> keep;
    if (!m_months.empty()) {
        const Month& first = *m_months.front();
        const Month& last = *m_months.back();
        const Day from = groupweek::WeekStart({first.year, first.month, 1});
        const Day until = groupweek::WeekStart({last.year, last.month, DaysInMonth(last.year, last.month)});
        const auto nameOf = [](const Day& d) {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d.html", d.year, d.month, d.day);
            return std::string(buffer);
        };
        const auto titleOf = [](const std::vector<Day>& days) {
            const Day& a = days.front();
            const Day& b = days.back();
            return std::to_string(a.year) + "年" + std::to_string(a.month) + "月" + std::to_string(a.day) + "日～" +
                   (b.year != a.year ? std::to_string(b.year) + "年" : std::string()) + std::to_string(b.month) + "月" +
                   std::to_string(b.day) + "日";
        };
        std::vector<std::string> codes;
        std::vector<std::string> names;
        for (int index : groupweek::WeekMembers(m_group)) {
            const CMember m = m_group.MemberAt(index);
            codes.emplace_back(m.Code());
            const std::string name = Text(m.Name());
            names.push_back(name.empty() ? CodeText(m.Code()) : name);
        }
        const groupweek::WorkingHours hours;
        int linkedMonth = -1;
        for (Day start = from;;) {
            const std::vector<Day> days = groupweek::SevenDays(start);
            if (days.size() != 7)
                break;
            const std::string name = nameOf(start);
            keep.insert(name);
            const Day next = Shifted(start, 7);
            const bool hasNext = !(start == until) && !(next == start);
            std::array<int, 7> monthOf{};
            bool touched = !changed;
            for (size_t i = 0; i < 7; ++i) {
                monthOf[i] = MonthIndexOf(days[i].year, days[i].month);
                touched = touched || (monthOf[i] >= 0 && changed->count(monthOf[i]));
                // The index links each month's first week.
                if (monthOf[i] > linkedMonth) {
                    linkedMonth = monthOf[i];
                    links.push_back({MonthTitle(days[i].year, days[i].month), "week/" + name});
                }
            }
            if (touched) {
                WeekPage page;
                page.groupName = DisplayName();
                page.title = titleOf(days);
                page.up = {DisplayName(), "../index.html"};
                page.freeHeading = "全員の空き（" + groupweek::ClockText(hours.start) + "～" +
                                   groupweek::ClockText(hours.end) + "、" + std::to_string(hours.minLength) +
                                   "分以上）";
                if (!(start == from)) {
                    const Day previous = Shifted(start, -7);
                    page.previous = {"← " + titleOf(groupweek::SevenDays(previous)), nameOf(previous)};
                }
                if (hasNext)
                    page.next = {titleOf(groupweek::SevenDays(next)) + " →", nameOf(next)};
                for (size_t i = 0; i < 7; ++i) {
                    const groupweek::DayHeading heading = groupweek::HeadingOf(days[i], m_holidays);
                    WeekPage::Column& c = page.days[i];
                    c.month = days[i].month;
                    c.day = days[i].day;
                    c.kind = heading.kind;
                    c.holiday = heading.holidayName;
                    c.outside = monthOf[i] < 0;
                    c.today = settings.today.year == days[i].year && settings.today.month == days[i].month &&
                              settings.today.day == days[i].day;
                }
                std::array<std::vector<groupweek::BusyInterval>, 7> busy;
                for (size_t m = 0; m < codes.size(); ++m) {
                    WeekPage::Row row;
                    row.member = names[m];
                    for (size_t i = 0; i < 7; ++i) {
                        if (monthOf[i] < 0)
                            continue;
                        const Month& month = *m_months[static_cast<size_t>(monthOf[i])];
                        const auto it = month.byMember.find(codes[m]);
                        if (it == month.byMember.end())
                            continue;
                        const auto& entries = it->second[static_cast<size_t>(days[i].day - 1)];
                        for (const CScheduleEntry* e : entries)
                            row.lines[i].push_back(Text(EntryLine(*e, true)));
                        for (const groupweek::BusyInterval& b : groupweek::BusyIntervals(entries))
                            busy[i].push_back(b);
                    }
                    page.rows.push_back(std::move(row));
                }
                for (size_t i = 0; i < 7; ++i)
                    if (monthOf[i] >= 0)
                        for (const groupweek::FreeSlot& slot : groupweek::FreeSlots(busy[i], hours))
                            page.free[i].push_back(groupweek::ClockText(slot.start) + "～" +
                                                   groupweek::ClockText(slot.end));
                out.Write(folder + "/" + name, RenderWeekPage(page));
            }
            if (!hasNext)
                break;
            start = next;
        }
    }
    if (!changed) {
        // Weeks the window no longer covers go.
        out.MakeFolders(folder);
        out.RemoveOthers(
            folder, [](std::string_view n) { return IsDateName(n, 3); }, keep);
    }
    return links;
}

void GroupPublisher::RemoveGone(OutputFolder& out, const std::vector<Member>& members)
{
    // A member who left the group or was hidden since: nothing of theirs
    // stays published.
    std::set<std::string> feeds, folders;
    for (const Member& m : members) {
        feeds.insert(m.name + ".ics");
        folders.insert(m.name);
    }
    out.RemoveOthers(m_folder, ".ics", feeds);
    for (const std::string& folder : out.Subfolders(m_folder))
        if (!folders.count(folder) && folder != "vdir" && folder != "week")
            out.RemoveFolder(m_folder + "/" + folder);
    for (const std::string& folder : out.Subfolders(m_folder + "/vdir"))
        if (!folders.count(folder))
            out.RemoveFolder(m_folder + "/vdir/" + folder);
}

} // namespace mirovan::publish
