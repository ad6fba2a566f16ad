#pragma once
#include "framework/Platform.h"
#include "framework/win32/Win32Api.h"

#include <memory>

namespace hv {

class SocketNotifier;
class Win32NameResolver;
class Win32NetworkWatch;

// The real backend: every Platform call goes straight to the Win32 API or Winsock.
// Everything runs on the thread that created the object, which must pump its messages.
class Win32Platform final : public Platform {
public:
    explicit Win32Platform(HINSTANCE instance);
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    Held StartSocketLayer() override;
    Held AcquireInstanceLock(std::string_view name) override;
    std::string ModuleFileName() override;
    void Trace(std::string_view text) override;

    FileRead ReadTextFileHead(const std::string& path, std::size_t maxBytes) override;
    bool CreateFileIfMissing(const std::string& path) override;
    FileReplace ReplaceFileContents(const std::string& path, std::string_view contents) override;
    bool RewriteFileInPlace(const std::string& path, std::string_view contents) override;

    bool CreateMainWindow(WindowEvents& events) override;
    WindowId MainWindow() override;
    void SetMainWindowTitle(std::string_view title) override;
    void DestroyMainWindow() override;
    bool SetTimer(int timerId, unsigned periodMs) override;
    void KillTimer(int timerId) override;
    int RunMessageLoop() override;
    int RunModalDialog(Dialog& dialog) override;

    WindowId FindWindowByTitle(std::string_view title) override;
    bool SendCopyData(WindowId to, std::uintptr_t code, std::string_view text) override;
    bool SendCommand(WindowId to, int commandId) override;
    void ShowMessageBox(std::string_view text) override;

    ProgramStart StartProgram(std::string_view program, std::string_view arguments) override;
    ProgramStart StartCommandLine(std::string_view commandLine) override;
    int ShellOpen(std::string_view target) override;

    bool AddTrayIcon(std::string_view tip) override;
    void SetTrayTip(std::string_view tip) override;
    void DeleteTrayIcon() override;
    void TrackPopupMenu(const std::vector<MenuItem>& items) override;

    std::int64_t NowMicroseconds() override;
    CivilTime ToLocalTime(std::int64_t unixSeconds) override;
    bool SetSystemTimeUtc(const CivilTime& utc) override;

    PrivilegeOutcome EnablePrivilege(std::string_view name) override;
    bool RequestPowerOff() override;

    bool CanWriteRegistryKey(RegistryRoot root, std::string_view key) override;
    std::optional<RegistryValue> ReadRegistryValue(const RegistryPlace& place) override;
    bool WriteRegistryValue(const RegistryPlace& place, const RegistryValue& value) override;
    bool DeleteRegistryValue(const RegistryPlace& place) override;

    bool PlaySoundFile(std::string_view path) override;

    std::vector<IpAddress> ResolveHost(std::string_view host) override;
    std::unique_ptr<PendingLookup> StartLookup(std::string_view host, LookupEvents& events) override;
    std::unique_ptr<UdpSocket> OpenUdpSocket(UdpSocketEvents& events) override;
    std::uint32_t RandomBits() override;

private:
    using PreciseClock = void(WINAPI*)(FILETIME*);

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
    PreciseClock m_preciseClock = nullptr;
    // Shared with every open socket, so a socket outliving the platform still closes cleanly.
    std::shared_ptr<SocketNotifier> m_socketNotifier;
    std::unique_ptr<Win32NameResolver> m_resolver;
    std::unique_ptr<Win32NetworkWatch> m_networkWatch;
};

} // namespace hv
