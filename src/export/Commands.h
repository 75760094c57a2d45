#pragma once
// The subcommands of mirovan-export. Each takes the arguments after its
// own name and returns the exit status.
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace mirovan::exporter {

constexpr int kExitOk = 0;
constexpr int kExitUnreadable = 1;
constexpr int kExitUsage = 2;

using Args = std::vector<std::string>;

int RunMembers(const Args& args, std::ostream& out, std::ostream& err);
int RunMonth(const Args& args, std::ostream& out, std::ostream& err);
int RunDay(const Args& args, std::ostream& out, std::ostream& err);
int RunHolidays(const Args& args, std::ostream& out, std::ostream& err);
int RunMemos(const Args& args, std::ostream& out, std::ostream& err);
int RunIcs(const Args& args, std::ostream& out, std::ostream& err);
int RunWeek(const Args& args, std::ostream& out, std::ostream& err);
int RunFree(const Args& args, std::ostream& out, std::ostream& err);
// Only in a build with Qt: the printed month as a PDF.
int RunCalendar(const Args& args, std::ostream& out, std::ostream& err);

// A field of an output line: code page 932 text as UTF-8, with
// backslash, TAB, CR and LF written as \\, \t, \r and \n.
std::string Field(std::string_view cp932);

// The usage errors the commands share, as lines for standard error.
std::string UnknownOption(std::string_view option);
std::string MissingValue(std::string_view option);
std::string NotAMonth(std::string_view text);
std::string NotADate(std::string_view text);

// The flags a command takes: those followed by a value, and switches that
// set a yes/no. Anything else starting with "-" is an unknown option; the
// rest are positional. False, with the message on err, on a usage error.
struct FlagTable {
    std::vector<std::pair<std::string_view, std::optional<std::string>*>> values;
    std::vector<std::tuple<std::string_view, std::optional<bool>*, bool>> switches;
};
bool ParseFlags(const Args& args, const FlagTable& flags, std::vector<std::string>& positional, std::ostream& err);

// "YYYY-MM" and "YYYY-MM-DD"; false when not a real month or date.
bool ParseYearMonth(std::string_view text, int& year, int& month);
bool ParseDate(std::string_view text, int& year, int& month, int& day);

} // namespace mirovan::exporter
