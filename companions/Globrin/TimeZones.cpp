#include "Globrin/TimeZones.h"

#include "framework/CivilTime.h"

namespace hv {

std::optional<ZoneTime> TimeInZone(TimeZones& zones, std::string_view key, std::int64_t unixSeconds) {
    // The UTC year's rules tell the zone's own year, which differs around New Year.
    const int utcYear = CivilFromUnixSeconds(unixSeconds).year;
    std::optional<ZoneRules> rules = zones.RulesFor(key, utcYear);
    if (!rules) return std::nullopt;
    const int zoneYear = ZoneYear(*rules, unixSeconds);
    if (zoneYear != utcYear) rules = zones.RulesFor(key, zoneYear);
    if (!rules) return std::nullopt;
    return ZoneTimeAt(*rules, unixSeconds);
}

} // namespace hv
