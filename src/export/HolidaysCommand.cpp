// holidays: the status the month view gets from the holiday function for
// each day of a year, from the same tables the program loads.
#include "export/Commands.h"

#include "program/groupdata/Holidays.h"
#include "support/OleDate.h"
#include "support/platform/Platform.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <ostream>

namespace mirovan::exporter {
namespace {

// The years a date of the program can have.
constexpr int kMinYear = 100;
constexpr int kMaxYear = 9999;

std::optional<int> ParseYear(const std::string& text)
{
    int year = 0;
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    std::from_chars(text.data(), text.data() + text.size(), year);
    if (year < kMinYear || year > kMaxYear)
        return std::nullopt;
    return year;
}

} // namespace

int RunHolidays(const Args& args, std::ostream& out, std::ostream& err)
{
    std::optional<std::string> file;
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--holiday-file") {
            if (++i == args.size()) {
                err << MissingValue(args[i - 1]);
                return kExitUsage;
            }
            file = args[i];
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            err << UnknownOption(args[i]);
            return kExitUsage;
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 1)
        return kExitUsage;
    const std::optional<int> year = ParseYear(positional[0]);
    if (!year) {
        err << "mirovan-export: 「" << positional[0] << "」は年ではありません。" << kMinYear << "から" << kMaxYear
            << "までの数で指定してください。\n";
        return kExitUsage;
    }

    CHolidayTables tables;
    // The program skips a missing file silently; a file named here must be read.
    if (file) {
        if (file->empty() || !tables.LoadHolidayFile(*file)) {
            err << "mirovan-export: 祝日ファイル「" << platform::PathForMessage(*file) << "」を読み込めません。\n";
            return kExitUnreadable;
        }
    } else {
        tables.LoadHolidayFile();
    }
    for (int month = 1; month <= 12; ++month) {
        for (int day = 1; day <= DaysInMonth(*year, month); ++day) {
            const int status = tables.GetHolidayStatus(*year, month, day);
            if (status == CHolidayTables::kOrdinary)
                continue;
            char line[32];
            std::snprintf(line, sizeof line, "%04d-%02d-%02d\t%d\n", *year, month, day, status);
            out << line;
        }
    }
    return kExitOk;
}

} // namespace mirovan::exporter
