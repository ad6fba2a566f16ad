#pragma once
#include "framework/Dialog.h"
#include "framework/Platform.h"

#include <cstdint>
#include <optional>

namespace hv {

// The bar's appearance as Horvane's options store it: REG_DWORD values under this key, the
// current user's taking precedence over the machine's.
constexpr const char* kBarKey = "Software\\Horvane\\Bar";
constexpr const char* kBarBackgroundValue = "Bkcolor";
constexpr const char* kBarTextValue = "Textcolor";
constexpr const char* kBarTimeOnlyValue = "Timeonly";

// A stored colour holds red in bits 16-23 and blue in bits 0-7, the other way round from
// the system's colour values.
Colour ColourFromStored(std::uint32_t stored);

struct BarAppearance {
    Colour background = RgbColour(32, 32, 32);
    Colour text = RgbColour(240, 240, 240);
    bool timeOnly = false;
    bool operator==(const BarAppearance&) const = default;
};

// Each value from the current user, else from the machine, else the default above. A value
// of another type than a number counts as missing.
BarAppearance ReadBarAppearance(Platform& platform);

// Where the user last left the bar, per user; nothing before the first move.
std::optional<ScreenPoint> ReadBarPlace(Platform& platform);
void RememberBarPlace(Platform& platform, ScreenPoint topLeft);

} // namespace hv
