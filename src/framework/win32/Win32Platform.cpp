#include "framework/win32/Win32Platform.h"

#include "framework/win32/Win32NetworkWatch.h"

namespace hv {

Win32Platform::Win32Platform(HINSTANCE instance) : Win32HeadlessPlatform(instance), m_instance(instance) {}

Win32Platform::~Win32Platform() {
    // The program's event object is gone by now; the window must not call into it.
    m_events = nullptr;
    m_networkWatch.reset();
    if (m_mainWindow != nullptr) DestroyWindow(m_mainWindow);
    if (m_trayIcon != nullptr) DestroyIcon(m_trayIcon);
}

} // namespace hv
