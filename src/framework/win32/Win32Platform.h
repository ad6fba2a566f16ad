#pragma once
#include "framework/Platform.h"
#include "framework/win32/Win32Api.h"
#include "framework/win32/Win32HeadlessPlatform.h"
#include "framework/win32/Win32Messaging.h"
#include "framework/win32/Win32Shell.h"

#include <memory>

namespace hv {

class Win32NetworkWatch;

// The real backend: every Platform call goes straight to the Win32 API or Winsock, one
// class per role; the main window and the dialogs it owns are this class's own.
// Everything runs on the thread that created the object, which must pump its messages.
class Win32Platform final : public Platform, public Win32HeadlessPlatform, public Win32Shell, public Win32Messaging {
public:
    explicit Win32Platform(HINSTANCE instance);
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    // WindowsRole (Win32MainWindow.cpp, Win32TrayIcon.cpp)
    bool CreateMainWindow(WindowEvents& events) override;
    WindowId MainWindow() override;
    void SetMainWindowTitle(std::string_view title) override;
    void DestroyMainWindow() override;
    bool SetTimer(int timerId, unsigned periodMs) override;
    void KillTimer(int timerId) override;
    int RunMessageLoop() override;
    bool AddTrayIcon(std::string_view tip) override;
    void SetTrayTip(std::string_view tip) override;
    void DeleteTrayIcon() override;
    void TrackPopupMenu(const std::vector<MenuItem>& items) override;

    // DialogsRole (Win32Dialogs.cpp)
    int RunModalDialog(Dialog& dialog) override;
    void ShowMessageBox(std::string_view text) override;

private:
    static LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMainWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool RegisterMainWindowClass();
    void HideFromTaskbar();
    NOTIFYICONDATAW TrayIconRecord(UINT flags, std::string_view tip) const;

    HINSTANCE m_instance;
    HWND m_mainWindow = nullptr;
    WindowEvents* m_events = nullptr;
    UINT m_taskbarCreatedMessage = 0;
    HICON m_trayIcon = nullptr;
    std::unique_ptr<Win32NetworkWatch> m_networkWatch;
};

} // namespace hv
