#pragma once
#include "framework/Colour.h"
#include "framework/Platform.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace hv {

// The date-time bar's own settings, which Preferences write and the bar reads: its colours
// and whether it shows the time alone. They live in the registry, under the machine's key
// when it can be written and under the current user's otherwise.
constexpr std::string_view kBarRegistryKey = "Software\\Horvane\\Bar";
constexpr std::string_view kBarBackgroundValue = "Bkcolor";
constexpr std::string_view kBarTextColourValue = "Textcolor";
constexpr std::string_view kBarTimeOnlyValue = "Timeonly";

// The stored colours hold red in bits 16-23 and blue in bits 0-7, the other way round from
// the system's colours; the swap turns either form into the other.
constexpr std::uint32_t SwapRedAndBlue(std::uint32_t colour) {
    return (colour & 0xFF00FF00u) | ((colour & 0xFFu) << 16) | ((colour >> 16) & 0xFFu);
}

// What the registry holds, read in the order background, text colour, time-only and no
// further than the first value that is missing: the values after it count as missing too.
// Each value is the current user's when there is one, else the machine's; a value of
// another type than a number counts as missing.
struct StoredBarValues {
    std::optional<Colour> background;
    std::optional<Colour> text;
    std::optional<bool> timeOnly;
};
StoredBarValues ReadBarValues(Platform& platform);

// How the bar looks: the stored values, the bar's own defaults for those missing.
struct BarAppearance {
    Colour background = RgbColour(32, 32, 32);
    Colour text = RgbColour(240, 240, 240);
    bool timeOnly = false;
    bool operator==(const BarAppearance&) const = default;
};
BarAppearance ReadBarAppearance(Platform& platform);

// Write one value; false when neither key could be written.
bool WriteBarColour(Platform& platform, std::string_view valueName, Colour colour);
bool WriteBarTimeOnly(Platform& platform, bool timeOnly);

// Tells a running bar to read its values again.
void TellBarSettingsChanged(Platform& platform);

} // namespace hv
