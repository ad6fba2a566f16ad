#pragma once
#include "framework/MessagingRole.h"
#include "framework/fake/FakeClock.h"
#include "framework/fake/FakeWindows.h"

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace hv {

// Windows of other programs, found by title, and what they were sent. The main window is
// found too, and what is sent to it reaches the program's events.
class FakeMessaging : public virtual MessagingRole {
public:
    struct CopyDataRecord {
        std::uintptr_t code;
        std::string text;
    };
    struct FakeWindow {
        std::string title;
        std::vector<CopyDataRecord> received;
        bool hung = false; // takes no message: a send to it waits kSendTimeoutMs in vain
    };

    FakeMessaging(FakeClock& clock, FakeWindows& windows) : m_clock(clock), m_mainWindow(windows) {}

    WindowId AddWindow(const std::string& title);
    void RemoveWindow(WindowId id);
    FakeWindow* Window(WindowId id);
    FakeWindow* WindowTitled(const std::string& title);

    WindowId FindWindowByTitle(std::string_view title) override;
    bool SendCopyData(WindowId to, std::uintptr_t code, std::string_view text) override;
    bool PostCommand(WindowId to, int commandId) override;
    // The main window reads its messages: the commands posted to it reach its events.
    void HandlePostedCommands();

private:
    FakeClock& m_clock;
    FakeWindows& m_mainWindow;
    std::map<WindowId, FakeWindow> m_windows;
    std::deque<int> m_postedCommands;
    WindowId m_nextWindowId = 100;
};

} // namespace hv
