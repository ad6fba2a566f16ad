#pragma once
#include <cstdint>
#include <string>

namespace hv {

// A broken-down date and time, local or UTC depending on where it came from.
// Field ranges follow the Windows time record: month 1-12, weekday 0 (Sunday) to 6.
struct CivilTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 4;
    int millisecond = 0;
    bool operator==(const CivilTime&) const = default;
};

// Proleptic Gregorian conversions in UTC, like the C library's gmtime/timegm but
// independent of the host's time zone and of the width of time_t.
CivilTime CivilFromUnixSeconds(std::int64_t unixSeconds);
std::int64_t UnixSecondsFromCivil(const CivilTime& t);

// Microseconds since 1970 split into whole seconds (rounded down, also before 1970) and the
// microseconds within that second.
struct UnixSplit {
    std::int64_t seconds;
    std::int64_t micros;
};
UnixSplit SplitUnixMicros(std::int64_t unixMicros);

// strftime-like formatting for the handful of directives the program uses:
// %H %M %S %m %d %Y and %%. Anything else is copied as it stands.
std::string FormatCivilTime(const char* format, const CivilTime& t);

} // namespace hv
