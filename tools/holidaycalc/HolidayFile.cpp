#include "HolidayFile.h"

#include "JapaneseHolidays.h"
#include "program/groupdata/Holidays.h"
#include "support/Codepage.h"
#include "support/DayKey.h"
#include "support/OleDate.h"

#include <cstdio>
#include <stdexcept>

namespace mirovan::holidaycalc {
namespace {

// What the built-in rules take a day for, for the comment of a line
// that takes it back.
std::string RuleName(int y, int m, int d)
{
    switch (MakeMonthDayKey(m, d)) {
    case 101: return "元日";
    case 211: return "建国記念の日";
    case 429: return y < 1989 ? "天皇誕生日" : y < 2007 ? "みどりの日" : "昭和の日";
    case 503: return "憲法記念日";
    case 504: return y < 2007 ? "国民の休日" : "みどりの日";
    case 505: return "こどもの日";
    case 1103: return "文化の日";
    case 1123: return "勤労感謝の日";
    case 1223: return "天皇誕生日";
    case 102:
    case 212:
    case 430:
    case 506:
    case 1104:
    case 1124:
    case 1224: return "振替休日";
    default: break;
    }
    switch (m) {
    case 1: return "成人の日";
    case 7: return "海の日";
    case 9: return "敬老の日";
    case 10: return y < 2020 ? "体育の日" : "スポーツの日";
    default: return "祝日";
    }
}

std::string DateText(const FileEntry& e)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%s%04d%02d%02d", e.working ? "-" : "", e.year, e.month, e.day);
    return buffer;
}

} // namespace

std::vector<FileEntry> HolidayFileEntries()
{
    CHolidayTables rules;
    rules.LoadHolidayText({});
    std::vector<FileEntry> out;
    for (int y = kFileFirstYear; y <= kFileLastYear; ++y) {
        const std::vector<Holiday> holidays = HolidaysOfYear(y);
        size_t next = 0;
        for (int m = 1; m <= 12; ++m) {
            for (int d = 1; d <= DaysInMonth(y, m); ++d) {
                const bool law = next < holidays.size() && holidays[next].month == m && holidays[next].day == d;
                const bool rule = rules.GetHolidayStatus(y, m, d) == CHolidayTables::kHoliday;
                if (law && !rule)
                    out.push_back({y, m, d, false, holidays[next].name});
                else if (!law && rule)
                    out.push_back({y, m, d, true, "平日（" + RuleName(y, m, d) + "ではない）"});
                next += law;
            }
        }
    }
    return out;
}

std::vector<std::string> HolidayFileHeader()
{
    return {
        "# Mirovan 祝日ファイル（Holiday.txt）",
        "# 組み込みの祝日規則と合わせて、1990年から2099年までの日本の祝日を正しく表示します。",
        "# 規則で足りない祝日と、規則が祝日とする平日だけを日付で挙げています。",
        "# 2028年以降の春分の日・秋分の日は計算による予測です。",
        "#",
        "# 会社独自の休日や出勤日を加えるときは、このファイルを",
        "# ~/.config/Tavric/Holiday.txt にコピーして、そのコピーに行を加えてください。",
        "# そのファイルがあると、ほかの Holiday.txt は読まれません。",
        "#",
        "# 書式（1行に1件、行頭から）:",
        "#   MMDD       毎年の休日。後ろに何も書かないこと（6バイト以上は年月日として読まれます）",
        "#   YYYYMMDD   その日だけの休日。空白の後にメモを書けます",
        "#   -MMDD      毎年の出勤日（休日より優先）",
        "#   -YYYYMMDD  その日だけの出勤日（休日より優先）",
        "#   -w         土曜・日曜を平日の色で表示",
        "#   -h         組み込みの祝日規則を使わない",
        "# 「#」で始まる行はどの日付にも当たりません。",
        "#",
        "# mirovan-holidaycalc が生成したファイルです。",
    };
}

std::string HolidayFileBytes()
{
    std::string utf8;
    for (const std::string& line : HolidayFileHeader())
        utf8 += line + '\n';
    for (const FileEntry& e : HolidayFileEntries())
        utf8 += DateText(e) + ' ' + e.comment + '\n';
    const std::optional<std::string> bytes = codepage::FromUtf8(utf8);
    if (!bytes)
        throw std::runtime_error("holiday file text not representable in code page 932");
    return *bytes;
}

} // namespace mirovan::holidaycalc
