#pragma once
#include "framework/Dialog.h"
#include "framework/Platform.h"

#include <optional>

namespace hv {

// Where the user last left the bar, per user; nothing before the first move.
std::optional<ScreenPoint> ReadBarPlace(Platform& platform);
void RememberBarPlace(Platform& platform, ScreenPoint topLeft);

} // namespace hv
