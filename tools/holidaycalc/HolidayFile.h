#pragma once
// The "Holiday.txt" that, read together with the program's built-in
// rules, gives exactly the national holidays for kFileFirstYear to
// kFileLastYear: a line for each day the rules get wrong and nothing else.
#include <string>
#include <vector>

namespace mirovan::holidaycalc {

constexpr int kFileFirstYear = 1990;
constexpr int kFileLastYear = 2099;

struct FileEntry {
    int year = 0;
    int month = 0;
    int day = 0;
    bool working = false; // a day the rules take for a holiday
    std::string comment;  // UTF-8
};

// The dated lines in date order.
std::vector<FileEntry> HolidayFileEntries();

// The explanatory lines at the top, UTF-8. Each starts with "#", which
// the reader takes for a date of year 0: no real day.
std::vector<std::string> HolidayFileHeader();

// The whole file in code page 932, LF line ends.
std::string HolidayFileBytes();

} // namespace mirovan::holidaycalc
