#include "framework/fake/FakeMessaging.h"

#include "framework/TimeUnits.h"

namespace hv {

WindowId FakeMessaging::AddWindow(const std::string& title) {
    const WindowId id = m_nextWindowId++;
    m_windows[id] = FakeWindow{title, {}, false};
    return id;
}

void FakeMessaging::RemoveWindow(WindowId id) { m_windows.erase(id); }

FakeMessaging::FakeWindow* FakeMessaging::Window(WindowId id) {
    auto it = m_windows.find(id);
    return it == m_windows.end() ? nullptr : &it->second;
}

FakeMessaging::FakeWindow* FakeMessaging::WindowTitled(const std::string& title) {
    return Window(FindWindowByTitle(title));
}

WindowId FakeMessaging::FindWindowByTitle(std::string_view title) {
    if (m_mainWindow.mainWindowExists && m_mainWindow.mainWindowTitle == title) return FakeWindows::kMainWindowId;
    for (const auto& [id, window] : m_windows) {
        if (window.title == title) return id;
    }
    return 0;
}

bool FakeMessaging::SendCopyData(WindowId to, std::uintptr_t code, std::string_view text) {
    if (to == FakeWindows::kMainWindowId && m_mainWindow.Events() != nullptr) {
        m_mainWindow.Events()->OnCopyData(code);
        return true;
    }
    FakeWindow* w = Window(to);
    if (w == nullptr) return false;
    if (w->hung) {
        // The thread is blocked meanwhile: time passes and no timer fires until later.
        m_clock.Pass(std::int64_t{kSendTimeoutMs} * kMicrosPerMilli);
        return false;
    }
    w->received.push_back({code, std::string(text)});
    return true;
}

bool FakeMessaging::PostCommand(WindowId to, int commandId) {
    if (to != FakeWindows::kMainWindowId || !m_mainWindow.mainWindowExists) return false;
    m_postedCommands.push_back(commandId);
    return true;
}

void FakeMessaging::HandlePostedCommands() {
    // One at a time: a command may open a dialog whose loop reads the next.
    while (!m_postedCommands.empty() && m_mainWindow.Events() != nullptr) {
        const int command = m_postedCommands.front();
        m_postedCommands.pop_front();
        m_mainWindow.Events()->OnCommand(command);
    }
}

} // namespace hv
