#pragma once
#include "framework/Platform.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hv {

struct City {
    std::string name;
    std::string zoneKey;
    bool operator==(const City&) const = default;
};

constexpr std::size_t kMostCities = 32;
constexpr std::size_t kLongestCityName = 64;

// The cities a first start shows.
std::vector<City> DefaultCities();

// Stored as one text, a line per city: its name, a tab and its zone's key. Reading is
// lenient, as the text may have been edited by hand: lines without a tab or with an empty
// part are skipped, names are cleaned and at most kMostCities are read.
std::string EncodeCities(const std::vector<City>& cities);
std::vector<City> DecodeCities(std::string_view text);

// A name as typed, fit to keep: control characters removed, blanks trimmed, cut to
// kLongestCityName bytes at a character boundary.
std::string CleanCityName(std::string_view typed);

// The user's cities, per user; nothing when none were ever stored.
std::optional<std::vector<City>> ReadRememberedCities(RegistryRole& registry);
void RememberCities(Platform& platform, const std::vector<City>& cities);

} // namespace hv
