// mirovan-samplegen OUTDIR [YYYY-MM]: writes a realistic sample group
// (sales.group), its schedule files for the month and the two around it,
// and a personal file (calendar.mvp), all in the group scheduler's and
// the program's own formats.
#include "tillbrook/TillbrookWriter.h"

#include "personalformat/PersonalFormat.h"
#include "support/Archive.h"
#include "support/Codepage.h"
#include "support/DayKey.h"
#include "support/OleDate.h"
#include "support/platform/Clock.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Sjis(const std::string& utf8) { return mirovan::codepage::FromUtf8(utf8).value(); }

struct Person {
    const char* name;
    const char* code;
    uint32_t attributes;
};

const Person kPeople[] = {
    {"佐藤 一郎", "M001", 0}, {"鈴木 花子", "M002", 0}, {"高橋 健太", "M003", 0}, {"田中 美咲", "M004", 0},
    {"伊藤 誠", "M005", 0},   {"渡辺 由美", "M006", 0}, {"山本 大輔", "M007", 0}, {"中村 さくら", "M008", 0},
    {"小林 翔", "M009", 0},   {"加藤 恵", "M010", 0},   {"吉田 拓也", "M011", 0}, {"監査用アカウント", "M099", 0x20},
};

const char* kContents[] = {
    "定例会議",   "顧客訪問（丸の内）", "出張：大阪支店", "週報作成",         "来客対応",
    "新人研修",   "部内ミーティング",   "見積書提出",     "現場確認：横浜",   "電話会議（シンガポール）",
    "展示会準備", "予算レビュー",       "採用面接",       "製品デモ～新機能", "月次報告会",
    "健康診断",
};

const char* kRemarks[] = {"", "", "", "資料持参", "第3会議室", "社用車使用", "オンライン参加可", "担当：営業二課"};

struct Month {
    int year;
    int month;
};

Month Shift(Month m, int delta)
{
    int index = m.year * 12 + (m.month - 1) + delta;
    return {index / 12, index % 12 + 1};
}

std::vector<tillbrook::EntryRecord> MonthEntries(Month m)
{
    std::mt19937 rng(mirovan::MakeMonthKey(m.year, m.month));
    std::vector<tillbrook::EntryRecord> entries;
    const int days = mirovan::DaysInMonth(m.year, m.month);
    for (const Person& p : kPeople) {
        for (int i = 0; i < 11; ++i) {
            tillbrook::EntryRecord e;
            int day = 1 + static_cast<int>(rng() % days);
            if (mirovan::Weekday(m.year, m.month, day) == 0)
                day = day < days ? day + 1 : day - 1;
            const int hour = 8 + static_cast<int>(rng() % 10);
            const int minute = static_cast<int>(rng() % 4) * 15;
            const int length = 30 + static_cast<int>(rng() % 6) * 30;
            const int endMinutes = std::min(hour * 60 + minute + length, 23 * 60 + 45);
            e.word1 = static_cast<uint32_t>(entries.size() + 1);
            e.start = tillbrook::At(m.year, m.month, day, hour, minute);
            e.end = tillbrook::At(m.year, m.month, day, endMinutes / 60, endMinutes % 60);
            e.date3 = tillbrook::At(m.year, m.month, 1);
            e.content = Sjis(kContents[rng() % std::size(kContents)]);
            e.ownerCode = p.code;
            e.string3 = "";
            e.remarks = Sjis(kRemarks[rng() % std::size(kRemarks)]);
            if (rng() % 7 == 0)
                e.flags |= 0x1000; // tentative
            if (rng() % 23 == 0)
                e.flags |= 0x0400; // private: shown only when also tentative
            entries.push_back(e);
        }
    }
    // Later edits: replacements, deletions and a chain of changes.
    const size_t originals = entries.size();
    for (size_t i = 0; i < originals; i += 9) {
        tillbrook::EntryRecord changed = entries[i];
        changed.word1 = static_cast<uint32_t>(entries.size() + 1);
        changed.link = static_cast<uint32_t>(i);
        if (i % 2 == 0) {
            changed.flags = (changed.flags & ~0xFFu) | 1;
            changed.content = changed.content.bytes + Sjis("（時間変更）");
            changed.start.value += 1.0 / 24;
            changed.end.value += 1.0 / 24;
        } else {
            changed.flags = 2; // a pure deletion record
            changed.content = "";
        }
        entries.push_back(changed);
    }
    return entries;
}

std::string PersonalFileBytes(Month current)
{
    std::vector<uint32_t> keys;
    std::vector<std::string> texts;
    for (const Month& m : {Shift(current, -1), current}) {
        std::string text;
        for (int day = 1; day <= mirovan::DaysInMonth(m.year, m.month); ++day) {
            if (day > 1)
                text += '\t';
            if (day % 5 == 1)
                text += Sjis("歯医者 18:00");
            else if (day % 7 == 3)
                text += Sjis("ジム");
            else if (day == 25)
                text += Sjis("給料日・家賃振込");
        }
        keys.push_back(mirovan::MakeMonthKey(m.year, m.month));
        texts.push_back(std::move(text));
    }
    mirovan::MemorySink sink;
    mirovan::personal::WriteRecords(sink, keys, texts);
    return sink.Bytes();
}

} // namespace

int main(int argc, char** argv)
{
    // An option is never a folder name: "--help" must not become one.
    if (argc < 2 || argc > 3 || argv[1][0] == '-') {
        std::cerr << "usage: mirovan-samplegen OUTDIR [YYYY-MM]\n";
        return 2;
    }
    const std::filesystem::path out = argv[1];
    Month current;
    if (argc == 3) {
        if (std::sscanf(argv[2], "%d-%d", &current.year, &current.month) != 2 ||
            !mirovan::IsValidCivilDate(current.year, current.month, 1)) {
            std::cerr << "mirovan-samplegen: not a month: " << argv[2] << '\n';
            return 2;
        }
    } else {
        const mirovan::platform::LocalDate today = mirovan::platform::Today();
        current = {today.year, today.month};
    }
    try {
        std::filesystem::create_directories(out);
        tillbrook::GroupRecord g;
        g.name = Sjis("営業部");
        g.groupStrings = {Sjis("東京本社 営業部")};
        g.groupNumbers = {1};
        for (const Person& p : kPeople) {
            tillbrook::MemberRecord m;
            m.name = Sjis(p.name);
            m.code = p.code;
            m.string3 = Sjis("営業部");
            m.moreStrings = {""};
            m.attributes = p.attributes;
            g.members.push_back(m);
        }
        tillbrook::WriteFile((out / "sales.group").string(), tillbrook::GroupFileBytes(g));
        for (int delta = -1; delta <= 1; ++delta) {
            const Month m = Shift(current, delta);
            char name[32];
            std::snprintf(name, sizeof name, "sales%d%02d.sch", m.year, m.month);
            tillbrook::WriteFile((out / name).string(), tillbrook::ScheduleFileBytes(MonthEntries(m)));
        }
        tillbrook::WriteFile((out / "calendar.mvp").string(), PersonalFileBytes(current));
    } catch (const std::exception& ex) {
        std::cerr << "mirovan-samplegen: " << ex.what() << '\n';
        return 1;
    }
    std::cout << (out / "sales.group").string() << '\n';
    return 0;
}
