// week and free: the group week and the times a set of members can meet.
#include "export/Commands.h"
#include "export/OpenGroup.h"

#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"
#include "program/groupdata/GroupWeek.h"
#include "program/groupdata/ScheduleTexts.h"
#include "support/Codepage.h"

#include <charconv>
#include <optional>
#include <ostream>

namespace mirovan::exporter {
namespace {

using groupweek::Day;

struct WeekOptions {
    std::vector<std::string> positional;
    std::optional<bool> endTime;
    std::optional<std::string> members;
    std::optional<std::string> from;
    std::optional<std::string> to;
    std::optional<std::string> length;
};

// Parses the flags; free takes the time options, week the end time ones.
bool ParseWeekOptions(const Args& args, bool free, WeekOptions& options, std::ostream& err)
{
    FlagTable flags;
    if (free)
        flags.values = {{"--members", &options.members},
                        {"--from", &options.from},
                        {"--to", &options.to},
                        {"--length", &options.length}};
    else
        flags.switches = {{"--end-time", &options.endTime, true}, {"--no-end-time", &options.endTime, false}};
    return ParseFlags(args, flags, options.positional, err);
}

bool ParseClockOption(const std::optional<std::string>& text, int& minutes, std::ostream& err)
{
    if (!text)
        return true;
    const auto parsed = groupweek::ParseClock(*text);
    if (!parsed) {
        err << "mirovan-export: 「" << *text
            << "」は時刻ではありません。HH:MM の形 (00:00～24:00) で指定してください。\n";
        return false;
    }
    minutes = *parsed;
    return true;
}

bool ParseLength(const std::optional<std::string>& text, int& minutes, std::ostream& err)
{
    if (!text)
        return true;
    int value = -1;
    const auto r = std::from_chars(text->data(), text->data() + text->size(), value);
    if (text->empty() || r.ec != std::errc() || r.ptr != text->data() + text->size() || value < 0 ||
        value > groupweek::kMinutesPerDay) {
        err << "mirovan-export: 「" << *text << "」は分の数ではありません。0 から 1440 までの数で指定してください。\n";
        return false;
    }
    minutes = value;
    return true;
}

std::vector<std::string> Split(const std::string& list)
{
    std::vector<std::string> out;
    size_t from = 0;
    for (;;) {
        const size_t comma = list.find(',', from);
        out.push_back(list.substr(from, comma - from));
        if (comma == std::string::npos)
            return out;
        from = comma + 1;
    }
}

} // namespace

int RunWeek(const Args& args, std::ostream& out, std::ostream& err)
{
    WeekOptions options;
    Day first;
    if (!ParseWeekOptions(args, false, options, err) || options.positional.size() != 2)
        return kExitUsage;
    if (!ParseDate(options.positional[1], first.year, first.month, first.day)) {
        err << NotADate(options.positional[1]);
        return kExitUsage;
    }
    OpenGroup open(out, err);
    if (const int status = OpenGroupFile(open, options.positional[0], std::nullopt, err))
        return open.Finish(status);
    const bool endTime = ShowEndTime(options.endTime);
    std::vector<std::string> codes;
    for (int index : groupweek::WeekMembers(open.group))
        codes.emplace_back(open.group.MemberAt(index).Code());
    groupweek::CWeekSchedule week(open.group, open.ui);
    week.Load(first, codes);
    for (const CScheduleMonth* month : week.Months())
        open.CheckMonth(*month);
    for (size_t m = 0; m < codes.size(); ++m) {
        const std::string code = Field(codes[m]);
        for (size_t d = 0; d < week.Days().size(); ++d) {
            const Day& day = week.Days()[d];
            for (const CScheduleEntry* e : week.Entries(m, d))
                out << code << '\t' << IsoDate(day.year, day.month, day.day) << '\t' << Field(EntryLine(*e, endTime))
                    << '\n';
        }
    }
    return open.Finish(kExitOk);
}

int RunFree(const Args& args, std::ostream& out, std::ostream& err)
{
    WeekOptions options;
    Day day;
    groupweek::WorkingHours hours;
    if (!ParseWeekOptions(args, true, options, err) || options.positional.size() != 2)
        return kExitUsage;
    if (!ParseDate(options.positional[1], day.year, day.month, day.day)) {
        err << NotADate(options.positional[1]);
        return kExitUsage;
    }
    if (!ParseClockOption(options.from, hours.start, err) || !ParseClockOption(options.to, hours.end, err) ||
        !ParseLength(options.length, hours.minLength, err))
        return kExitUsage;
    if (hours.start >= hours.end) {
        err << "mirovan-export: --from の時刻は --to の時刻より前にしてください。\n";
        return kExitUsage;
    }
    const std::string& path = options.positional[0];
    OpenGroup open(out, err);
    if (const int status = OpenGroupFile(open, path, std::nullopt, err))
        return open.Finish(status);
    std::vector<std::string> codes;
    if (options.members) {
        // Named members count even when hidden.
        for (const std::string& code : Split(*options.members)) {
            const int index = open.group.FindMember(codepage::FromUtf8(code).value_or(code));
            if (index < 0) {
                if (open.failed)
                    return open.Finish(kExitUnreadable); // perhaps past the cut
                err << NoSuchMember(path, code);
                return open.Finish(kExitUsage);
            }
            codes.emplace_back(open.group.MemberAt(index).Code());
        }
    } else {
        for (int index : groupweek::WeekMembers(open.group))
            codes.emplace_back(open.group.MemberAt(index).Code());
    }
    CScheduleMonth month(open.group, open.ui);
    LoadMonth(month, day.year, day.month);
    open.CheckMonth(month);
    std::vector<groupweek::BusyInterval> busy;
    for (const DayEntries& entries : VisibleEntriesByDay(month, codes))
        for (const groupweek::BusyInterval& b : groupweek::BusyIntervals(entries[static_cast<size_t>(day.day - 1)]))
            busy.push_back(b);
    for (const groupweek::FreeSlot& slot : groupweek::FreeSlots(busy, hours))
        out << groupweek::ClockText(slot.start) << '\t' << groupweek::ClockText(slot.end) << '\n';
    return open.Finish(kExitOk);
}

} // namespace mirovan::exporter
