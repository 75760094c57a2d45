#include "program/calendar/IcsCalendar.h"

#include "personalformat/CPersonalMemos.h"
#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"
#include "program/groupdata/ScheduleTexts.h"
#include "support/Codepage.h"
#include "support/DayKey.h"
#include "support/FileError.h"
#include "support/FileMessage.h"
#include "support/OleDate.h"
#include "support/UserInterface.h"
#include "support/platform/Platform.h"
#include "support/settings/SettingsTable.h"

#include <libical/ical.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>

namespace mirovan::calendar {
namespace {

constexpr const char* kZone = "Asia/Tokyo";
constexpr int kZoneOffset = 9 * 3600;

struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

// Display text as the program shows it, with the files' CR LF as plain
// line breaks.
std::string Text(std::string_view cp932) { return codepage::ToUtf8Lines(cp932); }

// Keeps UIDs plain ASCII whatever the names hold.
std::string UidPart(std::string_view utf8)
{
    std::string out;
    for (unsigned char c : utf8) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
            c == '_') {
            out += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

std::string YearMonthText(int year, int month)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d%02d", year, month);
    return buffer;
}

icaltimetype LocalTime(int year, int month, int day, int hour, int minute)
{
    icaltimetype t = icaltime_null_time();
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    return t;
}

icaltimetype DateOnly(int year, int month, int day)
{
    icaltimetype t = icaltime_null_date();
    t.year = year;
    t.month = month;
    t.day = day;
    return t;
}

icaltimetype Stamp(std::optional<std::time_t> stamp, int year, int month)
{
    // Without a time (a schedule's event, a memo file whose time cannot
    // be read): the start of the month.
    if (!stamp) {
        icaltimetype t = LocalTime(year, month, 1, 0, 0);
        t.zone = icaltimezone_get_utc_timezone();
        return t;
    }
    return icaltime_from_timet_with_zone(*stamp, 0, icaltimezone_get_utc_timezone());
}

// A TEXT value escaped as RFC 5545 says. libical 3.0 escapes only
// backslashes and line breaks in CATEGORIES (a list to it) and in X-
// properties, so a name with a comma would split or cut; the escaped text
// goes in as written, with the property's own value type so that none is
// printed.
icalproperty* EscapedText(icalproperty* property, const std::string& utf8, icalparameter_value type)
{
    std::string escaped;
    for (char c : utf8) {
        if (c == '\\' || c == ';' || c == ',')
            escaped += '\\';
        if (c == '\n')
            escaped += "\\n";
        else
            escaped += c;
    }
    icalproperty_set_value(property, icalvalue_new_string(escaped.c_str()));
    icalproperty_add_parameter(property, icalparameter_new_value(type));
    return property;
}

icalproperty* ZonedProperty(icalproperty* property)
{
    icalproperty_add_parameter(property, icalparameter_new_tzid(kZone));
    return property;
}

Component NewCalendar(const std::string& name)
{
    Component calendar(icalcomponent_new_vcalendar());
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid(settings::ProductId("JA").c_str()));
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_calscale("GREGORIAN"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_method(ICAL_METHOD_PUBLISH));
    icalproperty* calendarName = icalproperty_new(ICAL_X_PROPERTY);
    icalproperty_set_x_name(calendarName, "X-WR-CALNAME");
    icalcomponent_add_property(calendar.get(), EscapedText(calendarName, name, ICAL_VALUE_X));
    return calendar;
}

// Japan has kept standard time all year since 1951: one fixed rule.
icalcomponent* TokyoZone()
{
    icalcomponent* zone = icalcomponent_new_vtimezone();
    icalcomponent_add_property(zone, icalproperty_new_tzid(kZone));
    icalcomponent* standard = icalcomponent_new_xstandard();
    icalcomponent_add_property(standard, icalproperty_new_dtstart(LocalTime(1970, 1, 1, 0, 0)));
    icalcomponent_add_property(standard, icalproperty_new_tzoffsetfrom(kZoneOffset));
    icalcomponent_add_property(standard, icalproperty_new_tzoffsetto(kZoneOffset));
    icalcomponent_add_property(standard, icalproperty_new_tzname("JST"));
    icalcomponent_add_component(zone, standard);
    return zone;
}

std::string Serialise(const Component& calendar)
{
    char* text = icalcomponent_as_ical_string_r(calendar.get());
    std::string out = text ? text : "";
    std::free(text);
    return out;
}

// Later clashes (only an odd file links two shown records to one root)
// get the record's own position, so no UID is given twice.
std::string UniqueUid(std::set<std::string>& used, std::string uid, int ownIndex)
{
    if (!used.insert(uid).second) {
        uid.insert(uid.find('@'), "-x" + std::to_string(ownIndex));
        used.insert(uid);
    }
    return uid;
}

void AddEntry(icalcomponent* calendar, const CScheduleEntry& e, const std::string& uid, const icaltimetype& stamp,
              const std::string& category)
{
    const auto start = e.Start().Civil();
    if (!start)
        return;
    icalcomponent* event = icalcomponent_new_vevent();
    icalcomponent_add_property(event, icalproperty_new_uid(uid.c_str()));
    icalcomponent_add_property(event, icalproperty_new_dtstamp(stamp));
    const icaltimetype begin = LocalTime(start->year, start->month, start->day, start->hour, start->minute);
    icalcomponent_add_property(event, ZonedProperty(icalproperty_new_dtstart(begin)));
    // Only the end's time of day counts: on the start's day, or on the
    // next when it is earlier (a night shift, 22:00 to 1:00). An end that
    // is no time or the start itself gives an event of no length.
    if (const auto end = e.End().Civil()) {
        const int from = start->hour * 60 + start->minute;
        const int to = end->hour * 60 + end->minute;
        if (to != from) {
            icaltimetype finish = LocalTime(start->year, start->month, start->day, end->hour, end->minute);
            if (to < from)
                icaltime_adjust(&finish, 1, 0, 0, 0);
            icalcomponent_add_property(event, ZonedProperty(icalproperty_new_dtend(finish)));
        }
    }
    icalcomponent_add_property(event, icalproperty_new_summary(Text(e.Content()).c_str()));
    if (!e.Remarks().empty())
        icalcomponent_add_property(event, icalproperty_new_description(Text(e.Remarks()).c_str()));
    if (!category.empty())
        icalcomponent_add_property(event,
                                   EscapedText(icalproperty_new(ICAL_CATEGORIES_PROPERTY), category, ICAL_VALUE_TEXT));
    if (e.Flags() & CScheduleEntry::kTentative)
        icalcomponent_add_property(event, icalproperty_new_status(ICAL_STATUS_TENTATIVE));
    icalcomponent_add_component(calendar, event);
}

} // namespace

std::string RecordIdentity(const CScheduleMonth& month, int index)
{
    // A chain longer than the file is a loop.
    for (int steps = 0; steps <= month.EntryCount(); ++steps) {
        const CScheduleEntry& e = month.EntryAt(index);
        const uint32_t kind = e.LinkKind();
        if (kind == 0 || e.LinkTarget() >= static_cast<uint32_t>(month.EntryCount()))
            break;
        if (kind != CScheduleEntry::kReplacement && kind != CScheduleEntry::kDeletion) {
            std::string identity = "s";
            identity += std::to_string(e.LinkTarget());
            return identity;
        }
        index = static_cast<int>(e.LinkTarget());
    }
    std::string identity = "r";
    identity += std::to_string(index);
    return identity;
}

int CountEvents(std::string_view calendar)
{
    constexpr std::string_view begin = "BEGIN:VEVENT\r\n";
    int count = 0;
    for (size_t at = calendar.find(begin); at != std::string_view::npos; at = calendar.find(begin, at + begin.size()))
        ++count;
    return count;
}

std::string GroupUidDomain(const CGroup& group)
{
    std::string file = group.Path();
    std::string folder;
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(group.Path(), error);
    if (!error) {
        file = resolved.filename().string();
        folder = resolved.parent_path().filename().string();
    }
    if (const size_t slash = file.find_last_of('/'); slash != std::string::npos)
        file.erase(0, slash + 1);
    if (file.size() > 6 && file.compare(file.size() - 6, 6, ".group") == 0)
        file.resize(file.size() - 6);
    // File names are the system's bytes, kept as they are.
    return UidPart(Text(group.Name())) + "." + UidPart(file) + "." + UidPart(folder) + ".mirovan";
}

ScheduleCalendar BuildScheduleCalendar(const CGroup& group, int memberIndex,
                                       const std::vector<ScheduleMonthEntries>& months)
{
    const bool member = memberIndex >= 0 && memberIndex < group.MemberCount();
    const std::string code = member ? std::string(group.MemberAt(memberIndex).Code()) : std::string();
    std::string name = Text(group.Name());
    if (member) {
        name += ' ';
        name += Text(group.MemberAt(memberIndex).Name());
    }
    Component calendar = NewCalendar(name);
    icalcomponent_add_component(calendar.get(), TokyoZone());

    const std::string category = Text(group.Name());
    // Appended, not "-" + ...: GCC 12 warns of an overlap that cannot be.
    std::string uidTail = "-";
    uidTail += UidPart(Text(code));
    uidTail += '@';
    uidTail += GroupUidDomain(group);
    std::set<std::string> used;
    ScheduleCalendar result;
    for (const ScheduleMonthEntries& month : months) {
        // Not the file's time: a change of one entry would change every
        // event of its month, and subscribers that compare the events'
        // bytes (vdirsyncer) would take them all for changed.
        const icaltimetype stamp = Stamp(std::nullopt, month.year, month.month);
        const std::string uidHead = YearMonthText(month.year, month.month) + "-";
        for (const auto& day : month.days)
            for (const CScheduleEntry* e : day) {
                if (!e->Start().Civil())
                    continue;
                std::string uid = uidHead + RecordIdentity(*month.loaded, e->OwnIndex()) + uidTail;
                uid = UniqueUid(used, std::move(uid), e->OwnIndex());
                AddEntry(calendar.get(), *e, uid, stamp, category);
                result.uids.push_back(std::move(uid));
            }
    }
    result.text = Serialise(calendar);
    return result;
}

std::vector<EventFile> SplitEvents(const ScheduleCalendar& calendar)
{
    // The events are the calendar's last components, one after another.
    static constexpr std::string_view kBegin = "BEGIN:VEVENT\r\n";
    static constexpr std::string_view kEnd = "END:VEVENT\r\n";
    const std::string& text = calendar.text;
    const size_t first = text.find(kBegin);
    const size_t tail = text.rfind(kEnd);
    std::vector<EventFile> files;
    if (first == std::string::npos || tail == std::string::npos)
        return files;
    const std::string_view head(text.data(), first);
    const std::string_view foot(text.data() + tail + kEnd.size(), text.size() - tail - kEnd.size());
    size_t at = first;
    for (const std::string& uid : calendar.uids) {
        const size_t end = text.find(kEnd, at);
        if (text.compare(at, kBegin.size(), kBegin) != 0 || end == std::string::npos)
            break;
        const size_t after = end + kEnd.size();
        std::string file;
        file.reserve(head.size() + (after - at) + foot.size());
        file.append(head).append(text, at, after - at).append(foot);
        files.push_back({uid, std::move(file)});
        at = after;
    }
    return files;
}

std::string ExportSchedule(const CGroup& group, IUserInterface& ui, const MonthRange& range,
                           std::vector<UnreadableMonth>* unreadable)
{
    const std::string code = SelectedMemberCode(group);
    std::vector<std::unique_ptr<CScheduleMonth>> loaded;
    std::vector<ScheduleMonthEntries> months;
    int year = range.year;
    int monthNumber = range.month;
    for (int i = 0; i < range.count; ++i) {
        auto& month = loaded.emplace_back(std::make_unique<CScheduleMonth>(group, ui));
        month->SetMonth(DateValue{ToOleDate(year, monthNumber, 1).value_or(0.0), DateValue::kValid});
        if (!group.Path().empty()) {
            month->Load();
            month->Link();
            if (const auto& failure = month->LastReadFailure(); failure.cause && unreadable)
                unreadable->push_back({month->Path(), failure.cause, failure.told});
        }
        months.push_back({year, monthNumber, month.get(), VisibleEntriesByDay(*month, code)});
        if (++monthNumber > 12) {
            monthNumber = 1;
            ++year;
        }
    }
    return BuildScheduleCalendar(group, group.SelectedIndex(), months).text;
}

std::string WriteCalendarFile(const std::string& path, const std::string& text)
{
    try {
        platform::OutputFile file(path);
        file.Write(text.data(), text.size());
        file.Commit();
    } catch (const CFileException& ex) {
        if (ex.m_cause == kFileNotFound || ex.m_cause == kFileBadPath)
            return "ファイル「" + path + "」が開けません。";
        return FileFailureMessage(ex.m_cause, path);
    }
    return {};
}

bool ReadPersonalFile(personal::CPersonalMemos& memos, const std::string& path, IUserInterface& ui)
{
    try {
        // A file on a slow share may keep the user waiting: say so.
        WaitCursor wait(ui);
        memos.Read(path);
        return true;
    } catch (const CFileException& ex) {
        ui.ShowMessage(personal::ReadFailureText(ex.m_cause, path), MessageIcon::Exclamation);
    } catch (const CArchiveException& ex) {
        ui.ShowMessage("ファイル「" + platform::PathForMessage(path) + "」は途中で切れています。(例外コード：" +
                           std::to_string(ex.m_cause) + ")",
                       MessageIcon::Exclamation);
    }
    return false;
}

std::string ExportMemos(personal::CPersonalMemos& memos, const MonthRange& range, std::optional<std::time_t> stamp)
{
    // The file name is the system's text, not code page 932.
    const std::string fileName = platform::PathForMessage(memos.Path().substr(memos.Path().find_last_of('/') + 1));
    Component calendar = NewCalendar(fileName);
    std::string uidTail = "@";
    uidTail += UidPart(fileName);
    uidTail += ".mirovan";
    int year = range.year;
    int monthNumber = range.month;
    std::string text;
    for (int i = 0; i < range.count; ++i) {
        const icaltimetype dtstamp = Stamp(stamp, year, monthNumber);
        for (int day = 1; day <= DaysInMonth(year, monthNumber); ++day) {
            text = memos.DayText(MakeDayKey(year, monthNumber, day));
            if (text.empty())
                continue;
            const std::string memo = Text(text);
            icalcomponent* event = icalcomponent_new_vevent();
            char uid[32];
            std::snprintf(uid, sizeof uid, "memo-%04d%02d%02d", year, monthNumber, day);
            icalcomponent_add_property(event, icalproperty_new_uid((uid + uidTail).c_str()));
            icalcomponent_add_property(event, icalproperty_new_dtstamp(dtstamp));
            const icaltimetype date = DateOnly(year, monthNumber, day);
            icalcomponent_add_property(event, icalproperty_new_dtstart(date));
            icaltimetype next = date;
            icaltime_adjust(&next, 1, 0, 0, 0);
            icalcomponent_add_property(event, icalproperty_new_dtend(next));
            // The first line names the event; the whole memo is its description.
            const size_t lineEnd = memo.find('\n');
            icalcomponent_add_property(event, icalproperty_new_summary(memo.substr(0, lineEnd).c_str()));
            if (lineEnd != std::string::npos)
                icalcomponent_add_property(event, icalproperty_new_description(memo.c_str()));
            icalcomponent_add_component(calendar.get(), event);
        }
        if (++monthNumber > 12) {
            monthNumber = 1;
            ++year;
        }
    }
    return Serialise(calendar);
}

} // namespace mirovan::calendar
