#pragma once
// The one clock everything asks for "now". Tests pin it: in process with
// a ScopedClock, or for a whole process (a QtTest program, a real binary
// run by a test) with MIROVAN_NOW="YYYY-MM-DDTHH:MM[:SS]". A pinned clock
// stands still.
#include <ctime>
#include <optional>
#include <string_view>

namespace mirovan::platform {

// The local date and time now, every field of the std::tm filled.
std::tm LocalTimeNow();

struct LocalDate {
    int year = 0;
    int month = 0; // 1-12
    int day = 0;
};
// The date part of LocalTimeNow.
LocalDate Today();

// The time a MIROVAN_NOW value names; nullopt when it is not a real
// date and time in 100..9999.
std::optional<std::tm> ParseClockOverride(std::string_view text);

// Pins the clock for this process while it lives; nests.
class ScopedClock {
public:
    ScopedClock(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
    ~ScopedClock();
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

private:
    std::optional<std::tm> m_previous;
};

} // namespace mirovan::platform
