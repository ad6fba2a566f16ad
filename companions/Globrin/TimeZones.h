#pragma once
#include "Globrin/ZoneRules.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hv {

struct TimeZoneName {
    std::string key;     // the system's name of the zone, stable across languages
    std::string display; // "(UTC+01:00) Amsterdam, Berlin, ..."
    bool operator==(const TimeZoneName&) const = default;
};

// The system's time zones and their rules (on Windows its dynamic time zones, updated with
// the system). An interface of the world clock's own: nothing else needs it.
class TimeZones {
public:
    virtual ~TimeZones() = default;

    // Every zone, in the order the system offers them (west to east).
    virtual std::vector<TimeZoneName> All() = 0;
    // The zone's rules in that year, daylight saving included; nothing for a zone the
    // system does not know.
    virtual std::optional<ZoneRules> RulesFor(std::string_view key, int year) = 0;
};

// The time in the zone at an instant, with the rules of the right year; nothing for a zone
// the system does not know.
std::optional<ZoneTime> TimeInZone(TimeZones& zones, std::string_view key, std::int64_t unixSeconds);

} // namespace hv
