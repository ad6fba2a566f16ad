#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace driver {

// Top-level windows whose title is exactly `title` (case and all), hidden ones included.
// FindWindowA compares without regard to case, which would let a wrong title pass.
std::vector<HWND> WindowsTitled(const std::string& title);
HWND FindWindowTitled(const std::string& title);
// The window a subcommand acts on; when there is none, says so on stderr.
std::optional<HWND> Target(const std::string& title);

// Poll until the window exists (returns it) or until it is gone (returns true).
HWND WaitForWindow(const std::string& title, double seconds);
bool WaitUntilGone(const std::string& title, double seconds);

// Top-level windows of a window class, e.g. "#32768" for open popup menus.
std::vector<HWND> WindowsOfClass(const std::string& className, bool visibleOnly);
std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& className, bool visibleOnly);

} // namespace driver
