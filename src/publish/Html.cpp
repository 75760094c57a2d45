#include "publish/Html.h"

#include <cstdio>

namespace mirovan::publish {
namespace {

// One style for every page: a grid on a desktop, a list of days on a
// phone (the week: each member's days under their name, days without
// entries left out), black on white on paper.
constexpr const char* kStyle =
    R"(body{font-family:"IPAPGothic","Noto Sans CJK JP",sans-serif;margin:0 auto;max-width:1280px;padding:8px;color:#000;background:#fff}
h1{font-size:1.3em;margin:.3em 0}h2{font-size:1.1em;margin:.8em 0 .2em}
nav{margin:.3em 0}nav a{margin-right:1em}
table.month{width:100%;border-collapse:collapse;table-layout:fixed}
.month th,.month td{border:1px solid #888;vertical-align:top;padding:2px 4px}
.month td{height:6em;overflow-wrap:anywhere}
.month th.sun,.month td.sun{background:#ffc0c0}
.month th.sat,.month td.sat{background:#c0c0ff}
.month td.other{background:#eee}
.month td.today{outline:3px solid #d00;outline-offset:-3px}
.d{font-weight:bold}.wd{display:none}.hol{font-size:.85em;margin-left:.4em}
.month ul{list-style:none;margin:0;padding:0;font-size:.9em}
.month li{margin:.2em 0}.t{white-space:nowrap}.rem{display:block;font-size:.85em;color:#333}
.feed{margin-top:1em;font-size:.9em;overflow-wrap:anywhere}
.scroll{overflow-x:auto}
table.week{border-collapse:collapse;min-width:60em;width:100%;table-layout:fixed}
.week th,.week td{border:1px solid #888;vertical-align:top;padding:2px 4px;overflow-wrap:anywhere}
.week th.who{width:7em;text-align:left}
.week .sun{background:#ffc0c0}.week .sat{background:#c0c0ff}.week .other{background:#eee}
.week th.today,.week td.today{outline:3px solid #d00;outline-offset:-3px}
.week ul{list-style:none;margin:0;padding:0;font-size:.9em}.week li{margin:.2em 0}
.week tr.free td,.week tr.free th{border-top:3px double #444}
@media (max-width:640px){table.month,.month tbody,.month tr,.month td{display:block;width:auto}
.month thead,.month td.other{display:none}.month td{height:auto;border-width:0 0 1px 0}.wd{display:inline}
table.week{min-width:0}table.week,.week tbody,.week tr,.week th,.week td{display:block;width:auto}
.week thead,.week td:empty{display:none}.week th.who{width:auto;background:#ddd;margin-top:.4em}
.week td{border-width:0 0 1px 0}.week td::before{content:attr(data-day);font-weight:bold;margin-right:.5em}
.week td ul{display:inline-block;vertical-align:top}}
@media print{nav,.feed{display:none}body{max-width:none;padding:0}.scroll{overflow:visible}table.week{min-width:0}
*{-webkit-print-color-adjust:exact;print-color-adjust:exact}@page{size:A4 landscape;margin:10mm}}
)";

void Head(std::string& out, const std::string& title)
{
    out += "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
    out += Escape(title);
    out += "</title>\n<style>\n";
    out += kStyle;
    out += "</style>\n</head>\n<body>\n";
}

void Link(std::string& out, const PageLink& link, const char* rel = nullptr)
{
    out += "<a";
    if (rel)
        out += std::string(" rel=\"") + rel + "\"";
    out += " href=\"" + Escape(link.href) + "\">" + Escape(link.text) + "</a>";
}

const char* const kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};

} // namespace

std::string Escape(std::string_view utf8, bool lineBreaks)
{
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        case '\r': break;
        case '\n': out += lineBreaks ? "<br>" : " "; break;
        default:
            // Other control characters are not allowed in HTML text.
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
                out += "\xEF\xBF\xBD";
            else
                out += c;
        }
    }
    return out;
}

std::string RenderMonthPage(const MonthPage& page)
{
    char monthTitle[32];
    std::snprintf(monthTitle, sizeof monthTitle, "%d年%d月", page.year, page.month);
    std::string out;
    Head(out, page.memberName + " " + monthTitle + " - " + page.groupName);
    out += "<header>\n<nav>";
    Link(out, page.up, "up");
    out += "</nav>\n<h1>" + Escape(page.memberName) + " " + monthTitle + "</h1>\n<nav>";
    if (!page.previous.href.empty())
        Link(out, page.previous, "prev");
    if (!page.next.href.empty())
        Link(out, page.next, "next");
    out += "</nav>\n</header>\n<table class=\"month\">\n<thead><tr>";
    for (int i = 0; i < 7; ++i)
        out += std::string("<th") +
               (i == 0   ? " class=\"sun\""
                : i == 6 ? " class=\"sat\""
                         : "") +
               ">" + kWeekdays[i] + "</th>";
    out += "</tr></thead>\n<tbody>\n";
    for (size_t i = 0; i < page.cells.size(); ++i) {
        const DayCell& cell = page.cells[i];
        if (i % 7 == 0)
            out += "<tr>";
        if (cell.day == 0) {
            out += "<td class=\"other\"></td>";
        } else {
            std::string classes = cell.kind == DayKind::Holiday ? "sun" : cell.kind == DayKind::Saturday ? "sat" : "";
            if (cell.today)
                classes += classes.empty() ? "today" : " today";
            out += "<td" + (classes.empty() ? std::string() : " class=\"" + classes + "\"") + ">";
            out += "<span class=\"d\">" + std::to_string(cell.day) + "</span><span class=\"wd\">（" + kWeekdays[i % 7] +
                   "）</span>";
            if (cell.today)
                out += "<span class=\"hol\">今日</span>";
            if (!cell.holiday.empty())
                out += "<span class=\"hol\">" + Escape(cell.holiday) + "</span>";
            if (!cell.entries.empty()) {
                out += "<ul>";
                for (const auto& e : cell.entries) {
                    out += "<li><span class=\"t\">" + Escape(e.time) + "</span> ";
                    if (e.tentative)
                        out += "[仮] ";
                    out += Escape(e.content, true);
                    if (!e.remarks.empty())
                        out += "<span class=\"rem\">" + Escape(e.remarks, true) + "</span>";
                    out += "</li>";
                }
                out += "</ul>";
            }
            out += "</td>";
        }
        if (i % 7 == 6)
            out += "</tr>\n";
    }
    out += "</tbody>\n</table>\n<p class=\"feed\">カレンダーの購読: ";
    const std::string& shown = page.feedUrl.empty() ? page.feedHref : page.feedUrl;
    Link(out, {shown, page.feedHref});
    out += "<br>このURLをカレンダーアプリの「URLで購読」に追加してください（https:// を webcal:// "
           "に替えると開くだけで購読できます）。";
    out += "</p>\n</body>\n</html>\n";
    return out;
}

std::string RenderWeekPage(const WeekPage& page)
{
    std::string out;
    Head(out, page.title + " - " + page.groupName);
    out += "<header>\n<nav>";
    Link(out, page.up, "up");
    out += "</nav>\n<h1>" + Escape(page.groupName) + " " + Escape(page.title) + "</h1>\n<nav>";
    if (!page.previous.href.empty())
        Link(out, page.previous, "prev");
    if (!page.next.href.empty())
        Link(out, page.next, "next");
    out +=
        "</nav>\n</header>\n<div class=\"scroll\">\n<table class=\"week\">\n<thead><tr><th class=\"who\">メンバー</th>";
    const auto classOf = [&](const WeekPage::Column& c) {
        std::string classes = c.outside                     ? "other"
                              : c.kind == DayKind::Holiday  ? "sun"
                              : c.kind == DayKind::Saturday ? "sat"
                                                            : "";
        if (c.today)
            classes += classes.empty() ? "today" : " today";
        return classes.empty() ? std::string() : " class=\"" + classes + "\"";
    };
    for (size_t i = 0; i < page.days.size(); ++i) {
        const WeekPage::Column& c = page.days[i];
        out += "<th" + classOf(c) + ">" + std::to_string(c.month) + "/" + std::to_string(c.day) + "（" + kWeekdays[i] +
               "）";
        if (c.today)
            out += "<span class=\"hol\">今日</span>";
        if (!c.holiday.empty())
            out += "<br><span class=\"hol\">" + Escape(c.holiday) + "</span>";
        out += "</th>";
    }
    out += "</tr></thead>\n<tbody>\n";
    // The day again on each cell, for the phone's list where the head row
    // is not shown.
    const auto cell = [&](size_t i, const std::vector<std::string>& lines) {
        const WeekPage::Column& c = page.days[i];
        out += "<td" + classOf(c) + " data-day=\"" + std::to_string(c.month) + "/" + std::to_string(c.day) + "（" +
               kWeekdays[i] + "）\">";
        if (!lines.empty()) {
            out += "<ul>";
            for (const std::string& line : lines)
                out += "<li>" + Escape(line, true) + "</li>";
            out += "</ul>";
        }
        out += "</td>";
    };
    for (const WeekPage::Row& row : page.rows) {
        out += "<tr><th class=\"who\">" + Escape(row.member) + "</th>";
        for (size_t i = 0; i < page.days.size(); ++i)
            cell(i, row.lines[i]);
        out += "</tr>\n";
    }
    out += "<tr class=\"free\"><th class=\"who\">" + Escape(page.freeHeading) + "</th>";
    for (size_t i = 0; i < page.days.size(); ++i)
        cell(i, page.free[i]);
    out += "</tr>\n</tbody>\n</table>\n</div>\n</body>\n</html>\n";
    return out;
}

std::string RenderListPage(const ListPage& page)
{
    std::string out;
    Head(out, page.title);
    if (!page.up.href.empty()) {
        out += "<nav>";
        Link(out, page.up, "up");
        out += "</nav>\n";
    }
    out += "<h1>" + Escape(page.title) + "</h1>\n<ul>\n";
    for (const auto& item : page.items) {
        out += "<li>";
        Link(out, item.link);
        for (const auto& more : item.more) {
            out += " ";
            Link(out, more);
        }
        out += "</li>\n";
    }
    out += "</ul>\n";
    if (!page.links.empty()) {
        out += "<h2>" + Escape(page.linksTitle) + "</h2>\n<nav>";
        for (const PageLink& link : page.links)
            Link(out, link);
        out += "</nav>\n";
    }
    if (!page.note.empty())
        out += "<p class=\"feed\">" + Escape(page.note) + "</p>\n";
    out += "</body>\n</html>\n";
    return out;
}

} // namespace mirovan::publish
