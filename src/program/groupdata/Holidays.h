#pragma once
// The holiday tables: the days "Holiday.txt" lists, combined with the
// built-in Japanese national-holiday rules, answer the view's question
// "holiday, working day or neither" for any date.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mirovan {

class CHolidayTables {
public:
    static constexpr int kOrdinary = 0;
    static constexpr int kHoliday = 1;
    static constexpr int kWorkingDay = 2;

    // A real holiday file has a few thousand lines; anything past this
    // many bytes is ignored so a wrong file cannot exhaust memory.
    static constexpr size_t kMaxFileBytes = size_t{4} << 20;

    // Empties the tables, reads the file (the default one for an empty
    // path) and appends the built-in days. A file that is missing or
    // cannot be read is skipped; the result says whether one was read.
    bool LoadHolidayFile(const std::string& path = std::string());
    // The same for file contents already in memory; no path is stored.
    void LoadHolidayText(std::string_view bytes);

    // 1 holiday, 2 working day, 0 neither. Never throws.
    int GetHolidayStatus(int32_t year, int32_t month, int32_t day) const noexcept;

    const std::vector<uint32_t>& WorkingFullDates() const { return m_workingFullDates; }
    const std::vector<uint32_t>& WorkingMonthDays() const { return m_workingMonthDays; }
    const std::vector<uint32_t>& HolidayFullDates() const { return m_holidayFullDates; }
    const std::vector<uint32_t>& HolidayMonthDays() const { return m_holidayMonthDays; }
    const std::vector<uint32_t>& FixedHolidays() const { return m_fixedHolidays; }
    const std::vector<uint32_t>& SubstituteDays() const { return m_substituteDays; }
    bool PlainWeekends() const { return m_plainWeekends; }
    bool BuiltInHolidaysOff() const { return m_builtInOff; }
    const std::string& Path() const { return m_path; }

    // The first that exists of the user's own file, the one beside the
    // running program and the installed one; the user's own path when
    // none does, since that is where one would create it.
    static std::string DefaultPath();

private:
    void Clear();
    void ParseLine(std::string_view line);
    void AppendBuiltIn();

    std::vector<uint32_t> m_workingFullDates;
    std::vector<uint32_t> m_workingMonthDays;
    std::vector<uint32_t> m_holidayFullDates;
    std::vector<uint32_t> m_holidayMonthDays;
    std::vector<uint32_t> m_fixedHolidays;
    std::vector<uint32_t> m_substituteDays;
    bool m_plainWeekends = false;
    bool m_builtInOff = false;
    std::string m_path;
};

// The program's one set of tables, loaded at start-up.
CHolidayTables& ProcessHolidayTables();

// The view's holiday function (HOLIDAYPROC): asks the process's tables.
int32_t GetHolidayStatus(int32_t year, int32_t month, int32_t day);

} // namespace mirovan
