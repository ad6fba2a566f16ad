#pragma once
#include "Globrin/TimeZones.h"
#include "framework/win32/Win32Api.h"

#include <vector>

namespace hv {

// The system's dynamic time zones, listed once when made; each zone's rules for a year come
// from the system on every request, so an updated zone takes effect without a restart.
class Win32TimeZones final : public TimeZones {
public:
    Win32TimeZones();

    std::vector<TimeZoneName> All() override { return m_names; }
    std::optional<ZoneRules> RulesFor(std::string_view key, int year) override;

private:
    struct Zone {
        TimeZoneName name;
        DYNAMIC_TIME_ZONE_INFORMATION record;
    };
    std::vector<Zone> m_zones;
    std::vector<TimeZoneName> m_names;
};

} // namespace hv
