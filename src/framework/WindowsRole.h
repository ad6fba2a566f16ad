#pragma once
#include "framework/PopupMenu.h"
#include "framework/WindowEvents.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace hv {

// A window of any process, found by its title; 0 means none.
using WindowId = std::uintptr_t;

// The program's hidden main window: its timers, its message loop, and what hangs off it in
// the notification area.
class WindowsRole {
public:
    virtual ~WindowsRole() = default;

    virtual bool CreateMainWindow(WindowEvents& events) = 0;
    virtual WindowId MainWindow() = 0;
    virtual void SetMainWindowTitle(std::string_view title) = 0;
    virtual void DestroyMainWindow() = 0;
    virtual bool SetTimer(int timerId, unsigned periodMs) = 0;
    virtual void KillTimer(int timerId) = 0;
    // Runs until the main window is destroyed; returns the exit code.
    virtual int RunMessageLoop() = 0;

    virtual bool AddTrayIcon(std::string_view tip) = 0;
    virtual void SetTrayTip(std::string_view tip) = 0;
    virtual void DeleteTrayIcon() = 0;
    // Tracks the menu at the cursor with the main window in the foreground; the chosen
    // item arrives later as OnCommand.
    virtual void TrackPopupMenu(const std::vector<MenuItem>& items) = 0;
};

} // namespace hv
