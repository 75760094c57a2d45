// ics: a member's schedule or the personal memos as an iCalendar file.
#include "export/Commands.h"
#include "export/OpenGroup.h"

#include "personalformat/CPersonalMemos.h"
#include "program/calendar/IcsCalendar.h"
#include "support/platform/Clock.h"
#include "support/platform/Platform.h"

#include <charconv>
#include <optional>
#include <ostream>

namespace mirovan::exporter {
namespace {

// Enough for ten years; more is a typing mistake, not a calendar.
constexpr int kMaxMonths = 120;
constexpr int kDefaultMonths = 3;

struct IcsOptions {
    std::vector<std::string> positional;
    std::optional<std::string> member;
    std::optional<std::string> personal;
    std::optional<std::string> from;
    std::optional<std::string> months;
    std::optional<std::string> output;
};

bool ParseIcsOptions(const Args& args, IcsOptions& options, std::ostream& err)
{
    const std::pair<const char*, std::optional<std::string> IcsOptions::*> valued[] = {
        {"--member", &IcsOptions::member}, {"--personal", &IcsOptions::personal}, {"--from", &IcsOptions::from},
        {"--months", &IcsOptions::months}, {"-o", &IcsOptions::output},
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool known = false;
        for (const auto& [name, field] : valued) {
            if (a != name)
                continue;
            if (++i == args.size()) {
                err << MissingValue(name);
                return false;
            }
            options.*field = args[i];
            known = true;
        }
        if (known)
            continue;
        if (a.size() > 1 && a[0] == '-') {
            err << UnknownOption(a);
            return false;
        }
        options.positional.push_back(a);
    }
    return true;
}

bool ParseRange(const IcsOptions& options, calendar::MonthRange& range, std::ostream& err)
{
    if (options.from) {
        if (!ParseYearMonth(*options.from, range.year, range.month)) {
            err << NotAMonth(*options.from);
            return false;
        }
    } else {
        const platform::LocalDate today = platform::Today();
        range.year = today.year;
        range.month = today.month;
    }
    range.count = kDefaultMonths;
    if (options.months) {
        const std::string& text = *options.months;
        const auto r = std::from_chars(text.data(), text.data() + text.size(), range.count);
        if (r.ec != std::errc() || r.ptr != text.data() + text.size() || range.count < 1 || range.count > kMaxMonths) {
            err << "mirovan-export: --months には1から" << kMaxMonths << "までの数を指定してください。「" << text
                << "」は使えません。\n";
            return false;
        }
    }
    // The last month must still be a date the files can hold.
    const int last = range.year * 12 + range.month - 1 + range.count - 1;
    if (last / 12 > 9999) {
        err << "mirovan-export: 書き出す月が9999年を越えます。\n";
        return false;
    }
    return true;
}

int Write(const std::string& text, const std::optional<std::string>& output, std::ostream& out, std::ostream& err)
{
    if (!output) {
        out << text;
        return kExitOk;
    }
    // A failure leaves any old file as it was.
    if (const std::string failure = calendar::WriteCalendarFile(*output, text); !failure.empty()) {
        err << "mirovan-export: " << failure << '\n';
        return kExitUnreadable;
    }
    return kExitOk;
}

} // namespace

int RunIcs(const Args& args, std::ostream& out, std::ostream& err)
{
    IcsOptions options;
    calendar::MonthRange range;
    if (!ParseIcsOptions(args, options, err) || !ParseRange(options, range, err))
        return kExitUsage;
    if (options.personal) {
        if (!options.positional.empty() || options.member) {
            err << "mirovan-export: ics --personal にはグループファイルも --member も指定できません。\n";
            return kExitUsage;
        }
        StreamUi ui(err);
        personal::CPersonalMemos memos;
        if (!calendar::ReadPersonalFile(memos, *options.personal, ui))
            return kExitUnreadable;
        const std::string text = calendar::ExportMemos(memos, range, platform::ModifiedTime(*options.personal));
        return Write(text, options.output, out, err);
    }
    if (options.positional.size() != 1) {
        err << "mirovan-export: ics にはグループファイルか --personal FILE を指定してください。\n";
        return kExitUsage;
    }
    OpenGroup open(out, err);
    if (const int status = OpenGroupFile(open, options.positional[0], options.member, err))
        return open.Finish(status);
    if (open.group.SelectedIndex() < 0) {
        // An empty calendar would look like a member without entries.
        if (open.failed)
            return open.Finish(kExitUnreadable);
        err << "mirovan-export: メンバーが選ばれていません。--member でメンバーのコードを指定してください。\n";
        return kExitUsage;
    }
    std::vector<calendar::UnreadableMonth> unreadable;
    const std::string text = calendar::ExportSchedule(open.group, open.ui, range, &unreadable);
    for (const auto& month : unreadable)
        open.NoteUnreadable(month.path, month.cause, month.told);
    return open.Finish(Write(text, options.output, out, err));
}

} // namespace mirovan::exporter
