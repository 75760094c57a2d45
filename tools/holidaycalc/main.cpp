// mirovan-holidaycalc: the national holidays of Japan from the holiday
// law, and the Holiday.txt that completes the program's built-in rules.
#include "HolidayFile.h"
#include "JapaneseHolidays.h"

#include "support/FileError.h"
#include "support/platform/Platform.h"

#include <charconv>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: mirovan-holidaycalc file OUTPUT         write the generated Holiday.txt\n"
    "       mirovan-holidaycalc list FIRST [LAST]   print the holidays of the years (UTF-8)\n";

bool Year(const std::string& text, int& year)
{
    const auto r = std::from_chars(text.data(), text.data() + text.size(), year);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && year >= mirovan::holidaycalc::kFirstYear &&
           year <= mirovan::holidaycalc::kLastYear;
}

int WriteFile(const std::string& path)
{
    try {
        const std::string bytes = mirovan::holidaycalc::HolidayFileBytes();
        mirovan::platform::ReplacingFile file(path);
        file.Write(bytes.data(), bytes.size());
        file.Commit();
        return 0;
    } catch (const mirovan::CFileException& ex) {
        std::cerr << "mirovan-holidaycalc: cannot write " << path << " (error " << ex.m_osError << ")\n";
        return 1;
    }
}

int List(int first, int last)
{
    for (int y = first; y <= last; ++y) {
        for (const auto& h : mirovan::holidaycalc::HolidaysOfYear(y)) {
            char date[16];
            std::snprintf(date, sizeof date, "%04d-%02d-%02d", h.year, h.month, h.day);
            std::cout << date << '\t' << h.name << '\n';
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "file")
        return WriteFile(args[1]);
    int first = 0;
    int last = 0;
    if ((args.size() == 2 || args.size() == 3) && args[0] == "list" && Year(args[1], first) &&
        Year(args.size() == 3 ? args[2] : args[1], last) && first <= last)
        return List(first, last);
    std::cerr << kUsage;
    return 2;
}
