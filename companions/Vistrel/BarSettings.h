#pragma once
#include "framework/Dialog.h"
#include "framework/Platform.h"
#include "settings/BarSettings.h"

#include <cstdint>
#include <optional>

namespace hv {

// The bar's appearance as Horvane's options store it (settings/BarSettings.h: the key, the
// value names and the colours' byte order), the current user's values taking precedence
// over the machine's.
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
