// members, month and day: what the control bar, the month cells and the
// detail list would show for a group.
#include "export/Commands.h"
#include "export/OpenGroup.h"

#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"
#include "program/groupdata/ScheduleTexts.h"
#include "support/Codepage.h"
#include "support/FileError.h"
#include "support/FileMessage.h"
#include "support/platform/Platform.h"
#include "support/settings/SettingsStore.h"

#include <cstdio>
#include <optional>
#include <ostream>

namespace mirovan::exporter {
namespace {

struct Options {
    std::vector<std::string> positional;
    std::optional<std::string> member;
    std::optional<bool> endTime;
};

// Parses the flags the group commands share; false on a usage error.
bool ParseOptions(const Args& args, Options& options, std::ostream& err)
{
    const FlagTable flags{{{"--member", &options.member}},
                          {{"--end-time", &options.endTime, true}, {"--no-end-time", &options.endTime, false}}};
    return ParseFlags(args, flags, options.positional, err);
}

int Open(OpenGroup& open, const std::string& path, const Options& options, std::ostream& err)
{
    return OpenGroupFile(open, path, options.member, err);
}

} // namespace

std::string IsoDate(int year, int month, int day)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year, month, day);
    return buffer;
}

void LoadMonth(CScheduleMonth& month, int year, int monthNumber)
{
    month.SetMonth(DateValue{ToOleDate(year, monthNumber, 1).value(), DateValue::kValid});
    month.Load();
    month.Link();
}

bool ShowEndTime(const std::optional<bool>& option) { return option.value_or(settings::Read(settings::kEndTime) != 0); }

std::string NoSuchMember(const std::string& path, std::string_view code)
{
    return "mirovan-export: " + platform::PathForMessage(path) + " にコード「" + std::string(code) +
           "」のメンバーはいません。\n";
}

void OpenGroup::NoteUnreadable(const std::string& path, int cause, bool told)
{
    if (!told)
        ui.ShowMessage(FileFailureMessage(cause, path), MessageIcon::Exclamation);
    failed = true;
}

void OpenGroup::CheckMonth(const CScheduleMonth& month)
{
    if (const auto& failure = month.LastReadFailure(); failure.cause)
        NoteUnreadable(month.Path(), failure.cause, failure.told);
}

int OpenGroup::Finish(int status)
{
    out_.flush();
    ui.Release();
    return status == kExitOk && failed ? kExitUnreadable : status;
}

int OpenGroupFile(OpenGroup& open, const std::string& path, const std::optional<std::string>& member, std::ostream& err)
{
    // A file cut off inside a member record: the program lists the members
    // before the cut, and so does the export.
    if (!open.group.ReadFile(path)) {
        open.failed = true;
        if (open.group.MemberCount() == 0)
            return kExitUnreadable;
    }
    if (member) {
        // Codes are stored in the file's code page; the argument is UTF-8.
        const int index = open.group.FindMember(codepage::FromUtf8(*member).value_or(*member));
        if (index < 0 && open.failed)
            return kExitUnreadable; // perhaps past the cut
        if (index < 0) {
            err << NoSuchMember(path, *member);
            return kExitUsage;
        }
        open.group.SetSelection(index);
    }
    return kExitOk;
}

int RunMembers(const Args& args, std::ostream& out, std::ostream& err)
{
    Options options;
    if (!ParseOptions(args, options, err) || options.positional.size() != 1 || options.member || options.endTime)
        return kExitUsage;
    OpenGroup open(out, err);
    if (const int status = Open(open, options.positional[0], options, err))
        return open.Finish(status);
    for (int i = 0; i < open.group.MemberCount(); ++i) {
        const CMember m = open.group.MemberAt(i);
        out << m.Index() << '\t' << Field(m.Code()) << '\t' << Field(m.Name()) << '\t' << m.Attributes() << '\n';
    }
    return open.Finish(kExitOk);
}

int RunMonth(const Args& args, std::ostream& out, std::ostream& err)
{
    Options options;
    int year = 0, monthNumber = 0;
    if (!ParseOptions(args, options, err) || options.positional.size() != 2)
        return kExitUsage;
    if (!ParseYearMonth(options.positional[1], year, monthNumber)) {
        err << NotAMonth(options.positional[1]);
        return kExitUsage;
    }
    OpenGroup open(out, err);
    if (const int status = Open(open, options.positional[0], options, err))
        return open.Finish(status);
    const bool endTime = ShowEndTime(options.endTime);
    CScheduleMonth month(open.group, open.ui);
    LoadMonth(month, year, monthNumber);
    open.CheckMonth(month);
    const MonthTexts texts = BuildMonthTexts(month, SelectedMemberCode(open.group), endTime);
    for (int day = 1; day <= DaysInMonth(year, monthNumber); ++day)
        for (const std::string& line : texts[static_cast<size_t>(day - 1)])
            out << IsoDate(year, monthNumber, day) << '\t' << Field(line) << '\n';
    return open.Finish(kExitOk);
}

int RunDay(const Args& args, std::ostream& out, std::ostream& err)
{
    Options options;
    int year = 0, monthNumber = 0, day = 0;
    if (!ParseOptions(args, options, err) || options.positional.size() != 2 || options.endTime)
        return kExitUsage;
    if (!ParseDate(options.positional[1], year, monthNumber, day)) {
        err << NotADate(options.positional[1]);
        return kExitUsage;
    }
    OpenGroup open(out, err);
    if (const int status = Open(open, options.positional[0], options, err))
        return open.Finish(status);
    CScheduleMonth month(open.group, open.ui);
    LoadMonth(month, year, monthNumber);
    open.CheckMonth(month);
    const DayList list = BuildDayList(month, SelectedMemberCode(open.group),
                                      DateValue{ToOleDate(year, monthNumber, day).value(), DateValue::kValid});
    out << Field(list.title) << '\n';
    for (size_t i = 0; i < list.times.size(); ++i)
        out << Field(list.times[i]) << '\t' << Field(list.contents[i]) << '\t' << Field(list.remarks[i]) << '\n';
    return open.Finish(kExitOk);
}

} // namespace mirovan::exporter
