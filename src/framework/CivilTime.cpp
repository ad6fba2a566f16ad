#include "framework/CivilTime.h"
#include "framework/TimeUnits.h"

#include <cstdio>

namespace hv {
namespace {

// Howard Hinnant's days-from-civil algorithms: exact for every date in range.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = m > 2 ? m - 3 : m + 9;
    const std::int64_t doy = (153 * mp + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

} // namespace

CivilTime CivilFromUnixSeconds(std::int64_t unixSeconds) {
    const std::int64_t days = FloorDiv(unixSeconds, 86400);
    const std::int64_t secs = unixSeconds - days * 86400;
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
    CivilTime t;
    t.year = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
    t.month = static_cast<int>(m);
    t.day = static_cast<int>(d);
    t.hour = static_cast<int>(secs / 3600);
    t.minute = static_cast<int>(secs % 3600 / 60);
    t.second = static_cast<int>(secs % 60);
    // 1970-01-01 was a Thursday.
    t.weekday = static_cast<int>(((days % 7) + 11) % 7);
    t.millisecond = 0;
    return t;
}

std::int64_t UnixSecondsFromCivil(const CivilTime& t) {
    return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

UnixSplit SplitUnixMicros(std::int64_t unixMicros) {
    std::int64_t seconds = unixMicros / kMicrosPerSecond;
    if (unixMicros % kMicrosPerSecond < 0) --seconds;
    return {seconds, unixMicros - seconds * kMicrosPerSecond};
}

std::string FormatCivilTime(const char* format, const CivilTime& t) {
    std::string out;
    char field[16];
    for (const char* p = format; *p != '\0'; ++p) {
        if (*p != '%' || p[1] == '\0') {
            out += *p;
            continue;
        }
        ++p;
        switch (*p) {
        case 'H': std::snprintf(field, sizeof field, "%02d", t.hour); break;
        case 'M': std::snprintf(field, sizeof field, "%02d", t.minute); break;
        case 'S': std::snprintf(field, sizeof field, "%02d", t.second); break;
        case 'm': std::snprintf(field, sizeof field, "%02d", t.month); break;
        case 'd': std::snprintf(field, sizeof field, "%02d", t.day); break;
        case 'Y': std::snprintf(field, sizeof field, "%04d", t.year); break;
        case '%': std::snprintf(field, sizeof field, "%%"); break;
        default: std::snprintf(field, sizeof field, "%%%c", *p); break;
        }
        out += field;
    }
    return out;
}

} // namespace hv
