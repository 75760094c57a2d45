#pragma once
// The published web pages: static HTML5 with their CSS inside, UTF-8,
// every text escaped. They read nothing themselves: the publisher hands
// them what to show.
#include "support/DayColour.h"
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace mirovan::publish {

// Text for an element or an attribute value: &, <, >, " and ' as
// references; CR dropped; with lineBreaks, LF as <br>.
std::string Escape(std::string_view utf8, bool lineBreaks = false);

struct PageLink {
    std::string text; // UTF-8
    std::string href; // already a URL
};

struct DayCell {
    int day = 0; // 0: a cell of another month, left empty
    DayKind kind = DayKind::Ordinary;
    bool today = false;
    std::string holiday; // the holiday's name, UTF-8; empty when none
    struct Entry {
        std::string time; // "9:00～10:00"
        bool tentative = false;
        std::string content; // UTF-8, may hold line breaks
        std::string remarks;
    };
    std::vector<Entry> entries;
};

struct MonthPage {
    std::string groupName; // UTF-8
    std::string memberName;
    int year = 0;
    int month = 0;
    std::vector<DayCell> cells; // whole weeks from Sunday
    PageLink up;                // the group's page
    PageLink previous, next;    // empty href: none
    std::string feedHref;       // relative, from the page
    std::string feedUrl;        // absolute when known, else empty
};
std::string RenderMonthPage(const MonthPage& page);

// The group's week: a row per member, a column per day from Sunday, and
// a last row with the slots every member has free.
struct WeekPage {
    std::string groupName; // UTF-8
    std::string title;     // "2007年2月4日～2月10日"
    PageLink up;
    PageLink previous, next; // empty href: none
    struct Column {
        int month = 0;
        int day = 0;
        DayKind kind = DayKind::Ordinary;
        bool today = false;
        bool outside = false; // not a published month: nothing shown
        std::string holiday;  // UTF-8; empty when none
    };
    std::array<Column, 7> days;
    struct Row {
        std::string member;                            // UTF-8
        std::array<std::vector<std::string>, 7> lines; // UTF-8, may hold line breaks
    };
    std::vector<Row> rows;
    std::array<std::vector<std::string>, 7> free; // "09:00～10:30"
    std::string freeHeading;
};
std::string RenderWeekPage(const WeekPage& page);

struct ListPage {
    std::string title;
    PageLink up; // empty href: none
    struct Item {
        PageLink link;
        std::vector<PageLink> more;
    };
    std::vector<Item> items;
    std::string linksTitle; // UTF-8, heads the links below the list
    std::vector<PageLink> links;
    std::string note; // UTF-8, shown below the list
};
std::string RenderListPage(const ListPage& page);

} // namespace mirovan::publish
