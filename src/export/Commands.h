#pragma once
// The subcommands of mirovan-export. Each takes the arguments after its
// own name and returns the exit status.
#include <iosfwd>
#include <string>
#include <string_view>
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

// "YYYY-MM" and "YYYY-MM-DD"; false when not a real month or date.
bool ParseYearMonth(std::string_view text, int& year, int& month);
bool ParseDate(std::string_view text, int& year, int& month, int& day);

} // namespace mirovan::exporter
