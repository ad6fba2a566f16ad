#pragma once
#include "Globrin/TimeZones.h"

#include <map>

namespace hv::testing {

// Two zones with the same rules every year: London's and Tokyo's.
class FakeTimeZones final : public TimeZones {
public:
    std::vector<TimeZoneName> All() override {
        return {{"GMT Standard Time", "(UTC+00:00) Dublin, Edinburgh, Lisbon, London"},
                {"Tokyo Standard Time", "(UTC+09:00) Osaka, Sapporo, Tokyo"}};
    }
    std::optional<ZoneRules> RulesFor(std::string_view key, int /*year*/) override {
        if (key == "GMT Standard Time") return ZoneRules{0, 0, -60, {0, 10, 0, 5, 2}, {0, 3, 0, 5, 1}};
        if (key == "Tokyo Standard Time") return ZoneRules{-540, 0, 0, {}, {}};
        return std::nullopt;
    }
};

} // namespace hv::testing
