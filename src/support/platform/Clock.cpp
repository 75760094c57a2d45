#include "support/platform/Clock.h"

#include "support/OleDate.h"
#include "support/platform/Platform.h"

#include <cstdio>
#include <mutex>
#include <stdexcept>
#include <string>

namespace mirovan::platform {
namespace {

std::mutex g_pinMutex;
std::optional<std::tm> g_pinned; // under g_pinMutex

std::optional<std::tm> MakeTm(int year, int month, int day, int hour, int minute, int second)
{
    if (!ToOleDate(year, month, day, hour, minute, second))
        return std::nullopt;
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_wday = Weekday(year, month, day);
    t.tm_yday = static_cast<int>(OleDayNumber(year, month, day) - OleDayNumber(year, 1, 1));
    t.tm_isdst = -1;
    return t;
}

std::optional<std::tm> EnvironmentOverride()
{
    const std::string value = GetEnv("MIROVAN_NOW");
    if (value.empty())
        return std::nullopt;
    const auto pinned = ParseClockOverride(value);
    if (!pinned) {
        static std::once_flag reported;
        std::call_once(reported, [&] {
            std::fprintf(stderr, "mirovan: MIROVAN_NOW is no date and time (YYYY-MM-DDTHH:MM): %s\n", value.c_str());
        });
    }
    return pinned;
}

} // namespace

std::tm LocalTimeNow()
{
    {
        std::lock_guard lock(g_pinMutex);
        if (g_pinned)
            return *g_pinned;
    }
    if (const auto pinned = EnvironmentOverride())
        return *pinned;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local;
}

LocalDate Today()
{
    const std::tm now = LocalTimeNow();
    return LocalDate{now.tm_year + 1900, now.tm_mon + 1, now.tm_mday};
}

std::optional<std::tm> ParseClockOverride(std::string_view text)
{
    const std::string s(text);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, used = 0;
    const int fields = std::sscanf(s.c_str(), "%4d-%2d-%2dT%2d:%2d%n:%2d%n", &year, &month, &day, &hour, &minute, &used,
                                   &second, &used);
    if (fields < 5 || static_cast<size_t>(used) != s.size())
        return std::nullopt;
    return MakeTm(year, month, day, hour, minute, second);
}

ScopedClock::ScopedClock(int year, int month, int day, int hour, int minute, int second)
{
    const auto pinned = MakeTm(year, month, day, hour, minute, second);
    if (!pinned)
        throw std::invalid_argument("ScopedClock: no date and time");
    std::lock_guard lock(g_pinMutex);
    m_previous = g_pinned;
    g_pinned = pinned;
}

ScopedClock::~ScopedClock()
{
    std::lock_guard lock(g_pinMutex);
    g_pinned = m_previous;
}

} // namespace mirovan::platform
