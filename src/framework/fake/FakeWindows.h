#pragma once
#include "framework/WindowsRole.h"
#include "framework/fake/FakeClock.h"
#include "framework/fake/FakeTimer.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace hv {

// The main window, its timers, tray icon and menus, recorded. Timers fire only when a test
// lets time pass (FakePlatform::AdvanceMs).
class FakeWindows : public virtual WindowsRole {
public:
    static constexpr WindowId kMainWindowId = 1;

    explicit FakeWindows(FakeClock& clock) : m_clock(clock) {}

    std::string mainWindowTitle;
    bool mainWindowExists = false;
    std::map<int, FakeTimer> timers;
    std::set<int> refusedTimers;

    bool trayIconPresent = false;
    int trayIconAdds = 0;
    int trayIconRefusals = 0; // how many adds the shell refuses before it takes one
    std::string trayTip;
    std::vector<std::vector<MenuItem>> menusShown;

    bool TimerRunning(int id) const { return timers.count(id) != 0; }
    // Where the main window's messages go; nothing before it is made.
    WindowEvents* Events() const { return m_events; }

    bool CreateMainWindow(WindowEvents& events) override;
    WindowId MainWindow() override { return mainWindowExists ? kMainWindowId : 0; }
    void SetMainWindowTitle(std::string_view title) override { mainWindowTitle = title; }
    void DestroyMainWindow() override;
    bool SetTimer(int timerId, unsigned periodMs) override;
    void KillTimer(int timerId) override { timers.erase(timerId); }
    int RunMessageLoop() override { return 0; }

    bool AddTrayIcon(std::string_view tip) override;
    void SetTrayTip(std::string_view tip) override { trayTip = tip; }
    void DeleteTrayIcon() override { trayIconPresent = false; }
    void TrackPopupMenu(const std::vector<MenuItem>& items) override { menusShown.push_back(items); }

private:
    FakeClock& m_clock;
    WindowEvents* m_events = nullptr;
};

} // namespace hv
