// Feeds arbitrary bytes to the companions' readers of outside text: the world clock's stored
// list of cities (the registry, perhaps edited by hand) and the texts Horvane, or any other
// process, sends the manual synchronisation window. Checks that what they keep is sound.
#include "Globrin/CityList.h"
#include "Quorel/Transcript.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const std::vector<hv::City> cities = hv::DecodeCities(text);
    if (cities.size() > hv::kMostCities) std::abort();
    for (const hv::City& city : cities) {
        if (city.name.empty() || city.name.size() > hv::kLongestCityName || city.zoneKey.empty()) std::abort();
    }
    if (hv::DecodeCities(hv::EncodeCities(cities)) != cities) std::abort();

    hv::Transcript transcript;
    transcript.Append(text);
    transcript.Append(text);
    const std::string& kept = transcript.Text();
    if (kept.size() > hv::Transcript::kTranscriptLimit) std::abort();
    if (!kept.empty() && kept.substr(kept.size() - 2) != "\r\n") std::abort();
    return 0;
}
