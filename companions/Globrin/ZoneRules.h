#pragma once
#include "framework/CivilTime.h"

#include <cstdint>

namespace hv {

// When a zone changes between standard and daylight time in a year, as the system's zone
// records say it: in `month`, on the `day`-th `weekday` of the month (5: the last one), at
// the local time given, or, when `year` is set, on that fixed date (`day` the day of the
// month). Month 0 means the zone does not change.
struct ZoneTransition {
    int year = 0;
    int month = 0;
    int weekday = 0; // 0 Sunday to 6 Saturday
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// A zone's rules for one year, in minutes as the system's records count them:
// UTC = local time + bias + the bias of the current season.
struct ZoneRules {
    int bias = 0;
    int standardBias = 0;
    int daylightBias = 0;
    ZoneTransition toStandard;
    ZoneTransition toDaylight;
};

struct ZoneTime {
    CivilTime local;
    int utcOffsetMinutes = 0; // local time - UTC
    bool daylight = false;
    bool operator==(const ZoneTime&) const = default;
};

// The local time under `rules` at an instant in `rules`' year. The year to take the rules
// of is that of the instant in the zone's standard time (ZoneYear).
ZoneTime ZoneTimeAt(const ZoneRules& rules, std::int64_t unixSeconds);
int ZoneYear(const ZoneRules& anyYearsRules, std::int64_t unixSeconds);

} // namespace hv
