#pragma once

namespace hv {

// Private window messages of the main window; companions and the test driver use the
// same numbers.
constexpr unsigned kWmTrayNotify = 0x0400 + 100; // WM_USER+100
constexpr unsigned kWmStartup = 0x0400 + 101;    // WM_USER+101

// The program's icon resource, also the id of its notification-area icon.
constexpr int kMainIconResourceId = 128;

// Mouse messages that arrive as the tray notification's lParam.
constexpr unsigned kWmMouseMove = 0x0200;
constexpr unsigned kWmLButtonDown = 0x0201;
constexpr unsigned kWmRButtonDown = 0x0204;

} // namespace hv
