#include "Globrin/CityList.h"

#include "common/CleanText.h"
#include "framework/Registry.h"

#include <algorithm>

namespace hv {
namespace {

constexpr const char* kCitiesKey = "Software\\Horvane\\Globrin";
constexpr const char* kCitiesValue = "Cities";
constexpr char kFieldSeparator = '\t';
constexpr char kLineEnd = '\n';
constexpr std::size_t kLongestZoneKey = 128;

} // namespace

std::vector<City> DefaultCities() {
    return {
        {"London", "GMT Standard Time"},         {"New York", "Eastern Standard Time"},
        {"Berlin", "W. Europe Standard Time"},   {"Tokyo", "Tokyo Standard Time"},
        {"Sydney", "AUS Eastern Standard Time"},
    };
}

std::string EncodeCities(const std::vector<City>& cities) {
    std::string text;
    for (const City& city : cities) text += city.name + kFieldSeparator + city.zoneKey + kLineEnd;
    return text;
}

std::vector<City> DecodeCities(std::string_view text) {
    std::vector<City> cities;
    while (!text.empty() && cities.size() < kMostCities) {
        const std::size_t end = std::min(text.find(kLineEnd), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::size_t separator = line.find(kFieldSeparator);
        if (separator == std::string_view::npos) continue;
        City city{CleanCityName(line.substr(0, separator)), std::string(line.substr(separator + 1))};
        const bool plainKey =
            city.zoneKey.size() <= kLongestZoneKey && city.zoneKey.find_first_of("\t\r\\") == std::string::npos;
        if (!city.name.empty() && !city.zoneKey.empty() && plainKey) cities.push_back(std::move(city));
    }
    return cities;
}

std::string CleanCityName(std::string_view typed) {
    const std::string printable = PrintableLine(typed, typed.size());
    const std::size_t first = printable.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    // Trimmed at the end after the cut, which may leave a blank last.
    std::string name = PrintableLine(std::string_view(printable).substr(first), kLongestCityName);
    name.erase(name.find_last_not_of(' ') + 1);
    return name;
}

std::optional<std::vector<City>> ReadRememberedCities(RegistryRole& registry) {
    const auto text =
        ValueAs<std::string>(registry.ReadRegistryValue({RegistryRoot::CurrentUser, kCitiesKey, kCitiesValue}));
    if (!text) return std::nullopt;
    return DecodeCities(*text);
}

void RememberCities(Platform& platform, const std::vector<City>& cities) {
    if (!platform.WriteRegistryValue({RegistryRoot::CurrentUser, kCitiesKey, kCitiesValue}, EncodeCities(cities))) {
        platform.Trace("Globrin: the list of cities could not be stored");
    }
}

} // namespace hv
