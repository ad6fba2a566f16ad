#include "Vistrel/BarPlace.h"

#include <cstdint>
#include <string_view>

namespace hv {
namespace {

constexpr const char* kPlaceKey = "Software\\Horvane\\Vistrel";
constexpr const char* kLeftValue = "Left";
constexpr const char* kTopValue = "Top";

std::optional<std::uint32_t> ReadNumber(Platform& platform, RegistryRoot root, std::string_view key,
                                        std::string_view name) {
    return ValueAs<std::uint32_t>(platform.ReadRegistryValue({root, key, name}));
}

} // namespace

// Screen coordinates left of or above the primary screen are negative; they are stored as
// their two's complement.
std::optional<ScreenPoint> ReadBarPlace(Platform& platform) {
    const auto left = ReadNumber(platform, RegistryRoot::CurrentUser, kPlaceKey, kLeftValue);
    const auto top = ReadNumber(platform, RegistryRoot::CurrentUser, kPlaceKey, kTopValue);
    if (!left || !top) return std::nullopt;
    return ScreenPoint{static_cast<std::int32_t>(*left), static_cast<std::int32_t>(*top)};
}

void RememberBarPlace(Platform& platform, ScreenPoint topLeft) {
    const bool stored = platform.WriteRegistryValue({RegistryRoot::CurrentUser, kPlaceKey, kLeftValue},
                                                    static_cast<std::uint32_t>(topLeft.x)) &&
                        platform.WriteRegistryValue({RegistryRoot::CurrentUser, kPlaceKey, kTopValue},
                                                    static_cast<std::uint32_t>(topLeft.y));
    if (!stored) platform.Trace("Vistrel: the bar's place could not be stored");
}

} // namespace hv
