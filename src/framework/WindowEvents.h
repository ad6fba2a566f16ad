#pragma once
#include <cstdint>

namespace hv {

// What the backend's hidden main window reports to the program. Every call arrives on
// the user-interface thread, also while a modal dialog runs its own loop.
class WindowEvents {
public:
    // The window exists (hidden, without taskbar button); the tray icon may be added.
    virtual void OnWindowCreated() = 0;
    virtual void OnStartup() = 0;
    virtual void OnTimer(int timerId) = 0;
    virtual void OnCommand(int commandId) = 0;
    // Returns true when the code was understood; false asks for the default result.
    virtual bool OnCopyData(std::uintptr_t code) = 0;
    virtual void OnTrayNotify(unsigned iconId, unsigned mouseMessage) = 0;
    // The shell (re)started and has forgotten every notification icon.
    virtual void OnTaskbarCreated() = 0;
    virtual void OnClose() = 0;
    // The session really ends: the process will be ended without a close.
    virtual void OnEndSession() = 0;
    // The system has resumed from sleep or hibernation (on its own; a user may not be there).
    virtual void OnResumedFromSleep() = 0;
    // Whether the computer can reach the Internet, each time that may have changed: the same
    // state may be reported again.
    virtual void OnNetworkConnectivity(bool connected) = 0;

protected:
    ~WindowEvents() = default;
};

} // namespace hv
