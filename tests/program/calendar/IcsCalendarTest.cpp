#include "program/calendar/IcsCalendar.h"

#include "common/IsolatedEnvironment.h"
#include "common/RecordingUi.h"
#include "common/TempDir.h"
#include "personalformat/CPersonalMemos.h"
#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"
#include "support/Archive.h"
#include "support/Codepage.h"
#include "support/DayKey.h"
#include "tillbrook/TillbrookWriter.h"

#include <gtest/gtest.h>
#include <libical/ical.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <set>

using namespace mirovan;
using tillbrook::At;
using tillbrook::EntryRecord;

namespace {

std::string Cp932(const char* utf8) { return codepage::FromUtf8(utf8).value(); }

EntryRecord Entry(const char* code, int month, int day, int h, int m, int eh, int em, const char* content,
                  uint32_t flags = 0, uint32_t link = 0)
{
    EntryRecord e;
    e.start = At(2007, month, day, h, m);
    e.end = At(2007, month, day, eh, em);
    e.content = Cp932(content);
    e.ownerCode = code;
    e.remarks = Cp932((std::string("備考 ") + content).c_str());
    e.flags = flags;
    e.link = link;
    return e;
}

struct Event {
    std::string uid, start, startZone, end, summary, description, category, status, stamp;
};

// Everything a client reads of the events, parsed back with libical.
std::map<std::string, Event> Parse(const std::string& text, icalcomponent** keep = nullptr)
{
    icalcomponent* calendar = icalparser_parse_string(text.c_str());
    EXPECT_NE(calendar, nullptr);
    std::map<std::string, Event> events;
    if (!calendar)
        return events;
    for (icalcomponent* c = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); c;
         c = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
        Event e;
        e.uid = icalcomponent_get_uid(c);
        e.summary = icalcomponent_get_summary(c);
        if (const char* d = icalcomponent_get_description(c))
            e.description = d;
        if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_DTSTART_PROPERTY)) {
            e.start = icaltime_as_ical_string(icalproperty_get_dtstart(p));
            if (icalparameter* z = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER))
                e.startZone = icalparameter_get_tzid(z);
        }
        if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_DTEND_PROPERTY))
            e.end = icaltime_as_ical_string(icalproperty_get_dtend(p));
        if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_CATEGORIES_PROPERTY))
            e.category = icalproperty_get_categories(p);
        if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_STATUS_PROPERTY))
            e.status = icalproperty_status_to_string(icalproperty_get_status(p));
        e.stamp = icaltime_as_ical_string(icalcomponent_get_dtstamp(c));
        events[e.summary] = e;
    }
    if (keep)
        *keep = calendar;
    else
        icalcomponent_free(calendar);
    return events;
}

class IcsExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        tillbrook::GroupRecord g;
        g.name = Cp932("営業部");
        g.members = {{Cp932("佐藤"), "M1", "", {}, 0, {}}, {Cp932("鈴木"), "M2", "", {}, 0, {}}};
        tillbrook::WriteFile(m_dir.File("sales.group"), tillbrook::GroupFileBytes(g));
        ASSERT_TRUE(m_group.ReadFile(m_dir.File("sales.group")));
        m_group.SetSelection(0);
    }
    void WriteMonth(int month, const std::vector<EntryRecord>& entries)
    {
        char name[32];
        std::snprintf(name, sizeof name, "sales2007%02d.sch", month);
        const std::string path = m_dir.File(name);
        tillbrook::WriteFile(path, tillbrook::ScheduleFileBytes(entries));
        std::filesystem::last_write_time(path, m_fileTime);
    }
    std::string Export(int count = 2) { return calendar::ExportSchedule(m_group, m_ui, {2007, 2, count}); }

    test::TempDir m_dir;
    test::IsolatedEnvironment m_env{m_dir.Path()};
    test::RecordingUi m_ui;
    CGroup m_group{m_ui, nullptr, CGroup::Persistence::ReadOnly};
    // 2007-02-10 03:04:05 UTC.
    std::filesystem::file_time_type m_fileTime =
        std::chrono::file_clock::from_sys(std::chrono::sys_days{std::chrono::year{2007} / 2 / 10} +
                                          std::chrono::hours{3} + std::chrono::minutes{4} + std::chrono::seconds{5});
};

std::vector<EntryRecord> February()
{
    return {
        Entry("M1", 2, 3, 9, 5, 10, 30, "会議～準備"),      // 0
        Entry("M1", 2, 3, 8, 30, 9, 0, "仮の予定", 0x1000), // 1 tentative
        Entry("M2", 2, 4, 9, 0, 10, 0, "他の人"),           // 2 another member
        Entry("M1", 2, 4, 9, 0, 10, 0, "未確定", 0x400),    // 3 hidden without 0x1000
        Entry("M1", 2, 5, 13, 0, 14, 0, "古い"),            // 4 replaced below
        Entry("M1", 2, 7, 13, 0, 14, 0, "消される"),        // 5 deleted below
        Entry("M1", 2, 8, 11, 0, 10, 0, "終わりが前"),      // 6 ends before it starts
        Entry("M1", 2, 7, 0, 0, 0, 0, "削除", 2, 5),        // 7 deletion record
    };
}

} // namespace

TEST_F(IcsExport, EventsAreTheEntriesTheMonthViewShows)
{
    WriteMonth(2, February());
    WriteMonth(3, {Entry("M1", 3, 1, 10, 0, 11, 0, "三月")});
    WriteMonth(4, {Entry("M1", 4, 2, 10, 0, 11, 0, "四月")});
    const auto events = Parse(Export());

    std::set<std::string> names;
    for (const auto& [summary, e] : events)
        names.insert(summary);
    EXPECT_EQ(names, (std::set<std::string>{"三月", "仮の予定", "会議～準備", "古い", "終わりが前"}));

    const Event& meeting = events.at("会議～準備");
    EXPECT_EQ(meeting.start, "20070203T090500");
    EXPECT_EQ(meeting.startZone, "Asia/Tokyo");
    EXPECT_EQ(meeting.end, "20070203T103000");
    EXPECT_EQ(meeting.description, "備考 会議～準備");
    EXPECT_EQ(meeting.category, "営業部");
    EXPECT_EQ(meeting.status, "");
    EXPECT_EQ(events.at("仮の予定").status, "TENTATIVE");
    // An end before the start is on the next day.
    EXPECT_EQ(events.at("終わりが前").end, "20070209T100000");
    EXPECT_EQ(meeting.stamp, "20070201T000000Z");
    EXPECT_TRUE(m_ui.messages.empty());
}

TEST_F(IcsExport, UidsStayWhenLaterRecordsReplaceOrAddEntries)
{
    std::vector<EntryRecord> entries = February();
    WriteMonth(2, entries);
    const auto before = Parse(Export(1));
    entries.push_back(Entry("M1", 2, 6, 15, 0, 16, 0, "新しい", 1, 4));      // replaces 4
    entries.push_back(Entry("M1", 2, 6, 15, 30, 16, 0, "更に新しい", 1, 8)); // replaces that
    entries.push_back(Entry("M1", 2, 9, 9, 0, 10, 0, "追加"));
    const std::string beforeText = Export(1);
    m_fileTime += std::chrono::hours{1};
    WriteMonth(2, entries);
    const std::string afterText = Export(1);
    const auto after = Parse(afterText);
    // An event the change left alone keeps its bytes, file time and all:
    // a subscriber comparing them sees nothing changed.
    const auto eventText = [](const std::string& text, const std::string& summary) {
        const size_t at = text.find("SUMMARY:" + summary);
        const size_t begin = text.rfind("BEGIN:VEVENT", at);
        return at == std::string::npos ? std::string() : text.substr(begin, text.find("END:VEVENT", at) - begin);
    };
    EXPECT_NE(eventText(afterText, "会議～準備"), "");
    EXPECT_EQ(eventText(afterText, "会議～準備"), eventText(beforeText, "会議～準備"));

    EXPECT_EQ(after.count("古い"), 0u);
    EXPECT_EQ(after.count("新しい"), 0u);
    EXPECT_EQ(after.at("更に新しい").uid, before.at("古い").uid);
    EXPECT_EQ(after.at("会議～準備").uid, before.at("会議～準備").uid);
    EXPECT_EQ(after.at("仮の予定").uid, before.at("仮の予定").uid);
    std::set<std::string> uids;
    for (const auto& [summary, e] : after)
        EXPECT_TRUE(uids.insert(e.uid).second) << e.uid;
    // The same record of another month is another event.
    WriteMonth(3, February());
    EXPECT_NE(Parse(Export(2)).at("会議～準備").uid, before.at("会議～準備").uid);
}

TEST_F(IcsExport, UnchangedFilesGiveTheSameBytesAndTokyoTimes)
{
    WriteMonth(2, February());
    const std::string first = Export();
    EXPECT_EQ(Export(), first);
    EXPECT_EQ(first.find("\r\n"), first.find('\n') - 1);

    icalcomponent* calendar = nullptr;
    const auto events = Parse(first, &calendar);
    ASSERT_NE(calendar, nullptr);
    icalcomponent* zoneComponent = icalcomponent_get_first_component(calendar, ICAL_VTIMEZONE_COMPONENT);
    ASSERT_NE(zoneComponent, nullptr);
    icaltimezone* zone = icaltimezone_new();
    ASSERT_TRUE(icaltimezone_set_component(zone, icalcomponent_new_clone(zoneComponent)));
    EXPECT_STREQ(icaltimezone_get_tzid(zone), "Asia/Tokyo");
    // 9:05 in Tokyo is 0:05 UTC, in winter and in summer alike.
    for (const int month : {2, 8}) {
        icaltimetype t = icaltime_from_string(month == 2 ? "20070203T090500" : "20070803T090500");
        const icaltimetype utc =
            icaltime_convert_to_zone(icaltime_set_timezone(&t, zone), icaltimezone_get_utc_timezone());
        EXPECT_EQ(utc.hour, 0);
        EXPECT_EQ(utc.minute, 5);
    }
    icaltimezone_free(zone, 1);
    icalcomponent_free(calendar);
}

TEST_F(IcsExport, NightShiftsEndNextDayAndNamesAreEscapedTexts)
{
    WriteMonth(2, {Entry("M1", 2, 28, 22, 0, 1, 0, "夜勤"), Entry("M1", 2, 10, 9, 0, 9, 0, "同じ時刻")});
    const auto events = Parse(Export(1));
    EXPECT_EQ(events.at("夜勤").end, "20070301T010000");
    EXPECT_EQ(events.at("同じ時刻").end, "");

    // A comma would split the category, a semicolon cut the name.
    tillbrook::GroupRecord g;
    g.name = Cp932("営業部,東京;本社\\");
    g.members = {{Cp932("佐藤"), "M1", "", {}, 0, {}}};
    tillbrook::WriteFile(m_dir.File("sales.group"), tillbrook::GroupFileBytes(g));
    ASSERT_TRUE(m_group.ReadFile(m_dir.File("sales.group")));
    m_group.SetSelection(0);
    const std::string text = Export(1);
    EXPECT_NE(text.find("\r\nCATEGORIES:営業部\\,東京\\;本社\\\\\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\nX-WR-CALNAME:営業部\\,東京\\;本社\\\\ 佐藤\r\n"), std::string::npos) << text;
    EXPECT_EQ(Parse(text).at("夜勤").category, "営業部,東京;本社\\");
}

TEST(IcsMemos, MemosAreAllDayEventsNamedByTheirFirstLine)
{
    test::TempDir dir;
    test::IsolatedEnvironment env{dir.Path()};
    test::RecordingUi ui;
    // File names are the system's own (UTF-8) text, not code page 932.
    const std::string path = dir.File("予定.mvp");
    std::vector<std::string> february(28);
    february[27] = Cp932("歯医者～午後\r\n保険証");
    MemorySink file;
    personal::WriteRecords(file, {200702, 200703, 200704},
                           {personal::JoinDays(february), Cp932("一行"), Cp932("範囲外")});
    test::WriteFileBytes(path, file.Bytes());
    personal::CPersonalMemos store;
    ASSERT_TRUE(calendar::ReadPersonalFile(store, path, ui));
    const std::string text = calendar::ExportMemos(store, {2007, 2, 2}, std::time_t{1171076645});
    EXPECT_EQ(calendar::ExportMemos(store, {2007, 2, 2}, std::time_t{1171076645}), text);
    const auto events = Parse(text);

    ASSERT_EQ(events.size(), 2u);
    const Event& dentist = events.at("歯医者～午後");
    EXPECT_EQ(dentist.start, "20070228");
    EXPECT_EQ(dentist.end, "20070301");
    EXPECT_EQ(dentist.description, "歯医者～午後\n保険証");
    EXPECT_EQ(dentist.stamp, "20070210T030405Z");
    EXPECT_EQ(events.at("一行").description, "");
    EXPECT_NE(text.find("DTSTART;VALUE=DATE:20070228"), std::string::npos);
    EXPECT_NE(text.find("X-WR-CALNAME:予定.mvp\r\n"), std::string::npos);
    EXPECT_NE(text.find("@%E4%BA%88%E5%AE%9A.mvp.mirovan"), std::string::npos);
}

TEST(IcsWrite, AFailedWriteNamesTheFileAndKeepsTheOldOne)
{
    test::TempDir dir;
    const std::string missing = dir.File("no/such/folder.ics");
    EXPECT_EQ(calendar::WriteCalendarFile(missing, "x"), "ファイル「" + missing + "」が開けません。");
    const std::string path = dir.File("out.ics");
    EXPECT_EQ(calendar::WriteCalendarFile(path, "BEGIN:VCALENDAR\r\n"), "");
    EXPECT_EQ(test::ReadFileBytes(path), "BEGIN:VCALENDAR\r\n");
}

// Two branches keep a group of the same name in folders of their own: a
// subscriber to both must see two events, not one.
TEST_F(IcsExport, GroupsOfOneNameInTwoFoldersGiveDifferentUids)
{
    WriteMonth(2, February());
    std::filesystem::create_directories(m_dir.File("osaka"));
    for (const char* name : {"sales.group", "sales200702.sch"})
        std::filesystem::copy_file(m_dir.File(name), m_dir.File(std::string("osaka/") + name));
    CGroup other{m_ui, nullptr, CGroup::Persistence::ReadOnly};
    ASSERT_TRUE(other.ReadFile(m_dir.File("osaka/sales.group")));
    other.SetSelection(0);
    const auto here = Parse(Export(1));
    const auto there = Parse(calendar::ExportSchedule(other, m_ui, {2007, 2, 1}));
    ASSERT_EQ(here.size(), there.size());
    for (const auto& [summary, event] : here)
        EXPECT_NE(event.uid, there.at(summary).uid);
    EXPECT_NE(there.begin()->second.uid.find("@%E5%96%B6%E6%A5%AD%E9%83%A8.sales.osaka.mirovan"), std::string::npos);
    EXPECT_EQ(here.begin()->second.uid.find(".osaka.mirovan"), std::string::npos);
}

// The vdir's files: each event alone, with the calendar's head and zone,
// its text as in the whole calendar.
TEST_F(IcsExport, SplitEventsGivesEachEventAsACalendarOfItsOwn)
{
    WriteMonth(2, February());
    CScheduleMonth month(m_group, m_ui);
    month.SetMonth(DateValue{ToOleDate(2007, 2, 1).value(), DateValue::kValid});
    month.Load();
    month.Link();
    const calendar::ScheduleCalendar whole =
        calendar::BuildScheduleCalendar(m_group, 0, {{2007, 2, &month, VisibleEntriesByDay(month, "M1")}});
    const auto files = calendar::SplitEvents(whole);
    ASSERT_EQ(files.size(), Parse(whole.text).size());
    std::set<std::string> uids;
    for (const auto& file : files) {
        const auto events = Parse(file.text);
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events.begin()->second.uid, file.uid);
        EXPECT_TRUE(uids.insert(file.uid).second);
        EXPECT_NE(file.text.find("BEGIN:VTIMEZONE"), std::string::npos);
        const size_t begin = file.text.find("BEGIN:VEVENT");
        const size_t end = file.text.find("END:VEVENT");
        EXPECT_NE(whole.text.find(file.text.substr(begin, end - begin)), std::string::npos);
    }
}
