#include "framework/fake/FakeWindows.h"

#include "framework/TimeUnits.h"

namespace hv {

bool FakeWindows::CreateMainWindow(WindowEvents& events) {
    m_events = &events;
    mainWindowExists = true;
    events.OnWindowCreated();
    return true;
}

void FakeWindows::DestroyMainWindow() {
    mainWindowExists = false;
    timers.clear();
}

bool FakeWindows::SetTimer(int timerId, unsigned periodMs) {
    if (refusedTimers.count(timerId) != 0) return false;
    timers[timerId] = FakeTimer{periodMs, m_clock.ElapsedMicros() + std::int64_t{periodMs} * kMicrosPerMilli};
    return true;
}

bool FakeWindows::AddTrayIcon(std::string_view tip) {
    if (trayIconRefusals > 0) {
        --trayIconRefusals;
        return false;
    }
    trayIconPresent = true;
    ++trayIconAdds;
    trayTip = tip;
    return true;
}

} // namespace hv
