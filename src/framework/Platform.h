#pragma once
#include "framework/CivilTime.h"
#include "framework/PopupMenu.h"
#include "framework/UdpSocket.h"
#include "framework/WindowEvents.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hv {

// A window of any process, found by its title; 0 means none.
using WindowId = std::uintptr_t;
// An open process access token; released with CloseToken.
using TokenHandle = std::uintptr_t;
// An open registry key; released with CloseRegistryKey.
using RegistryKey = std::uintptr_t;

enum class InstanceLock { Acquired, AlreadyRunning, Failed };

struct FileRead {
    enum class Status { Ok, Missing, OpenFailed, TooLarge };
    Status status = Status::OpenFailed;
    std::string bytes;
};

enum class RegistryRoot { LocalMachine, CurrentUser };

// Everything the program asks of the operating system. The Win32 backend implements it
// with the real API; the fake backend with a virtual clock and in-memory state so that
// the same handlers run inside unit tests.
class Platform {
public:
    virtual ~Platform() = default;

    // --- process ---------------------------------------------------------------------
    // The socket layer, exactly version 1.1.
    virtual bool StartSocketLayer() = 0;
    virtual void StopSocketLayer() = 0;
    virtual InstanceLock AcquireInstanceLock(std::string_view name) = 0;
    virtual void ReleaseInstanceLock() = 0;
    // The full path of the running executable; empty when it cannot be read.
    virtual std::string ModuleFileName() = 0;

    // --- files -----------------------------------------------------------------------
    virtual FileRead ReadWholeFile(const std::string& path, std::size_t maxBytes) = 0;
    // Creates an empty file when none exists; never truncates an existing one.
    virtual bool CreateFileIfMissing(const std::string& path) = 0;
    // Writes beside the target and then replaces it, so a failure leaves the old file whole.
    virtual bool ReplaceFileContents(const std::string& path, std::string_view contents) = 0;

    // --- the hidden main window --------------------------------------------------------
    virtual bool CreateMainWindow(WindowEvents& events) = 0;
    virtual WindowId MainWindow() = 0;
    virtual void SetMainWindowTitle(std::string_view title) = 0;
    virtual void DestroyMainWindow() = 0;
    virtual void SetTimer(int timerId, unsigned periodMs) = 0;
    virtual void KillTimer(int timerId) = 0;
    // Runs until the main window is destroyed; returns the exit code.
    virtual int RunMessageLoop() = 0;

    // --- other windows ---------------------------------------------------------------
    virtual WindowId FindWindowByTitle(std::string_view title) = 0;
    // Synchronous WM_COPYDATA without naming a sender; text without terminating zero.
    virtual void SendCopyData(WindowId to, std::uintptr_t code, std::string_view text) = 0;
    // Synchronous WM_COMMAND; returns once the command has been handled.
    virtual void SendCommand(WindowId to, int commandId) = 0;
    virtual void ShowMessageBox(std::string_view text) = 0;

    // --- processes and shell -----------------------------------------------------------
    // Starts a command line shown normally; the result is of no interest to the program.
    virtual void RunCommandLine(std::string_view commandLine) = 0;
    virtual void ShellOpen(std::string_view path) = 0;

    // --- notification area -----------------------------------------------------------
    virtual void AddTrayIcon(std::string_view tip) = 0;
    virtual void SetTrayTip(std::string_view tip) = 0;
    virtual void DeleteTrayIcon() = 0;
    // Tracks the menu at the cursor with the main window in the foreground; the chosen
    // item arrives later as OnCommand.
    virtual void TrackPopupMenu(const std::vector<MenuItem>& items) = 0;

    // --- clock -----------------------------------------------------------------------
    // The system clock in microseconds since 1970-01-01 00:00 UTC, at its full resolution.
    virtual std::int64_t NowMicroseconds() = 0;
    virtual CivilTime ToLocalTime(std::int64_t unixSeconds) = 0;
    virtual bool SetSystemTimeUtc(const CivilTime& utc) = 0;

    // --- privileges and power ------------------------------------------------------------
    virtual std::optional<TokenHandle> OpenProcessTokenForAdjust() = 0;
    virtual void CloseToken(TokenHandle token) = 0;
    // Looks the privilege up and enables or disables it; success is judged by LastError.
    virtual bool LookupPrivilege(std::string_view name) = 0;
    virtual void AdjustTokenPrivilege(TokenHandle token, std::string_view name, bool enable) = 0;
    virtual std::uint32_t LastError() = 0;
    virtual bool RequestPowerOff() = 0;

    // --- registry --------------------------------------------------------------------
    virtual std::optional<RegistryKey> OpenRegistryKey(RegistryRoot root, std::string_view path,
                                                       bool fullAccess) = 0;
    // Reads a string value that fits in bufferBytes including its terminating zero.
    virtual std::optional<std::string> ReadRegistryString(RegistryKey key, std::string_view name,
                                                          std::size_t bufferBytes) = 0;
    virtual bool WriteRegistryString(RegistryKey key, std::string_view name, std::string_view value) = 0;
    virtual bool DeleteRegistryValue(RegistryKey key, std::string_view name) = 0;
    virtual void CloseRegistryKey(RegistryKey key) = 0;

    // --- sound -----------------------------------------------------------------------
    // Plays asynchronously and never cuts off a sound still playing (then reports false).
    virtual bool PlaySoundFile(std::string_view path) = 0;

    // --- network ---------------------------------------------------------------------
    // A dotted IPv4 address is taken as it stands; a host name is resolved synchronously.
    virtual std::optional<std::uint32_t> ResolveIpv4(std::string_view host) = 0;
    virtual std::unique_ptr<UdpSocket> OpenUdpSocket(UdpSocketEvents& events) = 0;
    virtual std::uint32_t RandomBits() = 0;
};

} // namespace hv
