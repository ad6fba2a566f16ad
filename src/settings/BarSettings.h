#pragma once
#include "framework/Colour.h"
#include "framework/Platform.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace hv {

// The date-time bar's own settings, which the preferences write and the bar reads: its
// colours and whether it shows the time alone. They live in the registry, under the
// machine's key when it can be written and under the current user's otherwise, and the
// bar learns of a change from a copy-data message with no data.
constexpr const char* kBarWindowTitle = "VistrelShow";
constexpr std::uintptr_t kCodeBarSettingsChanged = 21;

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
// Each value is the current user's when there is one, else the machine's.
struct BarSettings {
    std::optional<Colour> background;
    std::optional<Colour> text;
    std::optional<bool> timeOnly;
};
BarSettings ReadBarSettings(Platform& platform);

// Write one value; false when neither key could be written.
bool WriteBarColour(Platform& platform, std::string_view valueName, Colour colour);
bool WriteBarTimeOnly(Platform& platform, bool timeOnly);

// Tells a running bar to read its settings again.
void TellBarSettingsChanged(Platform& platform);

} // namespace hv
