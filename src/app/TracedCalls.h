#pragma once
#include "framework/Platform.h"

#include <cstdint>
#include <string_view>

namespace hv {

// Calls of the main window whose failure no user would see, so it is traced: copy-data to
// another program's window (which may hang, or not even be ours) and its timers.
void SendTraced(Platform& platform, WindowId window, std::string_view title, std::uintptr_t code,
                std::string_view text = {});
// To the window with that title, when there is one.
void SendToTitled(Platform& platform, const char* title, std::uintptr_t code, std::string_view text = {});
void StartTimerTraced(Platform& platform, int timerId, unsigned periodMs);

// The local time now, to the second.
CivilTime LocalNow(Platform& platform);

} // namespace hv
