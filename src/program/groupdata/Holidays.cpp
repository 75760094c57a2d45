#include "program/groupdata/Holidays.h"

#include "interface/MirovanView.h"
#include "support/DayKey.h"
#include "support/FileError.h"
#include "support/OleDate.h"
#include "support/platform/Platform.h"
#include "support/settings/SettingsTable.h"

#include <algorithm>
#include <optional>
#include <type_traits>

namespace mirovan {
namespace {

constexpr uint32_t kFixed[] = {101, 211, 429, 503, 504, 505, 1103, 1123, 1223};
constexpr uint32_t kSubstitute[] = {102, 212, 430, 506, 1104, 1124, 1224};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// atoi on at most `count` bytes from `offset`: leading blanks, an
// optional sign, digits up to the first other byte; 0 without digits.
int32_t Piece(std::string_view text, size_t offset, size_t count)
{
    if (offset >= text.size())
        return 0;
    const std::string_view s = text.substr(offset, count);
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    int32_t value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        value = value * 10 + (s[i] - '0'); // at most four digits
    return negative ? -value : value;
}

bool Contains(const std::vector<uint32_t>& table, uint32_t key)
{
    return std::find(table.begin(), table.end(), key) != table.end();
}

// The weekday of a date that is no real one is none at all.
bool IsMonday(int32_t year, int32_t month, int32_t day)
{
    return IsValidCivilDate(year, month, day) && Weekday(year, month, day) == 1;
}

// The file's first bytes, at most the limit; nullopt when it cannot be
// opened or read.
std::optional<std::string> ReadLimited(const std::string& path, size_t limit)
{
    try {
        platform::InputFile file(path);
        std::string out;
        char buffer[16384];
        while (out.size() < limit) {
            const size_t n = file.ReadSome(buffer, std::min(sizeof buffer, limit - out.size()));
            if (n == 0)
                break;
            out.append(buffer, n);
        }
        return out;
    } catch (const CFileException&) {
        return std::nullopt;
    }
}

} // namespace

void CHolidayTables::Clear()
{
    m_workingFullDates.clear();
    m_workingMonthDays.clear();
    m_holidayFullDates.clear();
    m_holidayMonthDays.clear();
    m_fixedHolidays.clear();
    m_substituteDays.clear();
    m_plainWeekends = false;
    m_builtInOff = false;
}

void CHolidayTables::AppendBuiltIn()
{
    m_fixedHolidays.insert(m_fixedHolidays.end(), std::begin(kFixed), std::end(kFixed));
    m_substituteDays.insert(m_substituteDays.end(), std::begin(kSubstitute), std::end(kSubstitute));
}

void CHolidayTables::ParseLine(std::string_view line)
{
    // Lines were read as C strings: nothing after a NUL byte counts.
    line = line.substr(0, line.find('\0'));
    if (line.size() >= 2 && line[0] == '-' && line[1] == 'w') {
        m_plainWeekends = true;
        return;
    }
    if (line.size() >= 2 && line[0] == '-' && line[1] == 'h') {
        m_builtInOff = true;
        return;
    }
    const bool working = !line.empty() && line[0] == '-';
    const std::string_view date = working ? line.substr(1) : line;
    // Bytes, not characters: a two-character comment after a month-day
    // makes it a full date.
    if (date.size() <= 5) {
        const uint32_t key = MakeMonthDayKey(Piece(date, 0, 2), Piece(date, 2, 2));
        (working ? m_workingMonthDays : m_holidayMonthDays).push_back(key);
    } else {
        const uint32_t key = MakeDayKey(Piece(date, 0, 4), Piece(date, 4, 2), Piece(date, 6, 2));
        (working ? m_workingFullDates : m_holidayFullDates).push_back(key);
    }
}

void CHolidayTables::LoadHolidayText(std::string_view bytes)
{
    Clear();
    m_path.clear();
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        ParseLine(line);
        start = end + 1;
    }
    AppendBuiltIn();
}

bool CHolidayTables::LoadHolidayFile(const std::string& path)
{
    const std::string chosen = path.empty() ? DefaultPath() : path;
    const std::optional<std::string> bytes = ReadLimited(chosen, kMaxFileBytes);
    LoadHolidayText(bytes ? std::string_view(*bytes) : std::string_view());
    m_path = chosen;
    return bytes.has_value();
}

std::string CHolidayTables::DefaultPath()
{
    const std::string own = platform::JoinPath(settings::ConfigFolder(), "Holiday.txt");
    const std::string candidates[] = {
        own, platform::JoinPath(platform::ExecutableFolder(), "Holiday.txt"),
        platform::JoinPath(platform::InstalledFolder(settings::kInstalledData), "Holiday.txt")};
    for (const std::string& candidate : candidates)
        if (platform::FileExists(candidate))
            return candidate;
    return own;
}

int CHolidayTables::GetHolidayStatus(int32_t year, int32_t month, int32_t day) const noexcept
{
    const uint32_t md = MakeMonthDayKey(month, day);
    const uint32_t ymd = MakeDayKey(year, month, day);
    if (Contains(m_workingFullDates, ymd) || Contains(m_workingMonthDays, md))
        return kWorkingDay;
    if (Contains(m_holidayFullDates, ymd) || Contains(m_holidayMonthDays, md))
        return kHoliday;
    if (m_builtInOff)
        return kOrdinary;
    if (Contains(m_fixedHolidays, md))
        return kHoliday;
    if (Contains(m_substituteDays, md) && IsMonday(year, month, day))
        return kHoliday;

    // Coming of Age Day and Sports Day: fixed dates, then Happy Monday.
    if (month == 1 || month == 10) {
        const int32_t fixed = month == 1 ? 15 : 10;
        if (year < 2000) {
            if (day == fixed || (day == fixed + 1 && IsMonday(year, month, day)))
                return kHoliday;
        } else if (day >= 8 && day <= 14 && IsMonday(year, month, day)) {
            return kHoliday;
        }
    }
    // Marine Day and Respect for the Aged Day, Happy Monday from 2003.
    if (month == 7 || month == 9) {
        const int32_t fixed = month == 7 ? 20 : 15;
        if (year < 2003)
            return day == fixed || (day == fixed + 1 && IsMonday(year, month, day)) ? kHoliday : kOrdinary;
        return day >= 15 && day <= 21 && IsMonday(year, month, day) ? kHoliday : kOrdinary;
    }
    return kOrdinary;
}

CHolidayTables& ProcessHolidayTables()
{
    static CHolidayTables tables;
    return tables;
}

static_assert(std::is_convertible_v<decltype(&GetHolidayStatus), HOLIDAYPROC>);

int32_t GetHolidayStatus(int32_t year, int32_t month, int32_t day)
{
    return ProcessHolidayTables().GetHolidayStatus(year, month, day);
}

} // namespace mirovan
