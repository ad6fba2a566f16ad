#pragma once
#include "framework/CivilTime.h"
#include "framework/NameResolver.h"
#include "framework/PopupMenu.h"
#include "framework/Privilege.h"
#include "framework/Registry.h"
#include "framework/Releasable.h"
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

class Dialog;

// A window of any process, found by its title; 0 means none.
using WindowId = std::uintptr_t;

// The longest wait for another program's window to take a message. Windows counts a
// window as hung after five seconds without reading its messages and then answers at once;
// this bounds the wait for one not yet known to be hung.
constexpr unsigned kSendTimeoutMs = 3000;

// Whether a code of the shell or of the program starter means success: above 32 it does;
// otherwise it is the error (0 out of memory, 2 file not found, 31 no association, ...).
constexpr bool Launched(int code) { return code > 32; }

struct FileRead {
    enum class Status { Ok, Missing, OpenFailed };
    Status status = Status::OpenFailed;
    std::string text;  // UTF-8
};

// How starting a program ended.
struct ProgramStart {
    enum class Status { Started, Missing, Failed };
    Status status = Status::Failed;
    std::uint32_t error = 0;  // the system's error number when it did not start
};

// How an atomic replacement of a file ended.
enum class FileReplace {
    Replaced,
    // The folder refuses a new file, or the old file may not be moved away; the file
    // itself may still be writable where it stands.
    NotAllowed,
    Failed,
};

// Everything the program asks of the operating system, one method per intent. The Win32
// backend implements it with the real API; the fake backend with a virtual clock and
// in-memory state so that the same handlers run inside unit tests. Looking names up
// without blocking is a role of its own (NameResolver).
class Platform : public NameResolver {
public:
    virtual ~Platform() = default;

    // --- process ---------------------------------------------------------------------
    // The socket layer, exactly version 1.1, for as long as the result lives; nothing when
    // it is missing.
    virtual Held StartSocketLayer() = 0;
    // The named single-instance lock; nothing when another process holds it (or it cannot
    // be made).
    virtual Held AcquireInstanceLock(std::string_view name) = 0;
    // The full path of the running executable; empty when it cannot be read.
    virtual std::string ModuleFileName() = 0;
    // For failures no user sees (an icon not added, a timer not set, a value not stored):
    // written where a developer looks, never shown.
    virtual void Trace(std::string_view text) = 0;

    // --- files -----------------------------------------------------------------------
    // A file another process holds is waited for briefly before any of these gives up.
    //
    // The first maxBytes bytes of a text file, as UTF-8; a longer file is cut after the
    // last line end within them. A file that is not valid UTF-8 was written in the
    // system's ANSI code page and is converted.
    virtual FileRead ReadTextFileHead(const std::string& path, std::size_t maxBytes) = 0;
    // Creates an empty file when none exists; never truncates an existing one.
    virtual bool CreateFileIfMissing(const std::string& path) = 0;
    // Writes a new file beside the target and puts it in the target's place in one step,
    // keeping the target's attributes and permissions. Whatever happens, the old file stays
    // whole and nothing is left beside it.
    virtual FileReplace ReplaceFileContents(const std::string& path, std::string_view contents) = 0;
    // Overwrites an existing file where it stands; false when it is missing or not writable.
    virtual bool RewriteFileInPlace(const std::string& path, std::string_view contents) = 0;

    // --- the hidden main window --------------------------------------------------------
    virtual bool CreateMainWindow(WindowEvents& events) = 0;
    virtual WindowId MainWindow() = 0;
    virtual void SetMainWindowTitle(std::string_view title) = 0;
    virtual void DestroyMainWindow() = 0;
    virtual bool SetTimer(int timerId, unsigned periodMs) = 0;
    virtual void KillTimer(int timerId) = 0;
    // Runs until the main window is destroyed; returns the exit code.
    virtual int RunMessageLoop() = 0;
    // Shows the dialog modally over the main window and returns the result it closed with.
    // The main window's timers and messages keep arriving meanwhile.
    virtual int RunModalDialog(Dialog& dialog) = 0;

    // --- other windows ---------------------------------------------------------------
    virtual WindowId FindWindowByTitle(std::string_view title) = 0;
    // Sending waits for the receiver, but kSendTimeoutMs at most, so that a hung window
    // (found only by its title, it may not even be ours) cannot stop the program. Both
    // report false when the window did not take the message in that time.
    //
    // WM_COPYDATA without naming a sender; text without terminating zero.
    virtual bool SendCopyData(WindowId to, std::uintptr_t code, std::string_view text) = 0;
    // WM_COMMAND; returns once the command has been handled.
    virtual bool SendCommand(WindowId to, int commandId) = 0;
    virtual void ShowMessageBox(std::string_view text) = 0;

    // --- processes and shell -----------------------------------------------------------
    // Starts a program shown normally, its path quoted in the command line
    // (QuotedCommandLine). A bare file name is looked for where the system looks for programs.
    virtual ProgramStart StartProgram(std::string_view program, std::string_view arguments) = 0;
    // Starts a command line as it stands (one registered for a kind of file, say): the system
    // finds its program by its own rules.
    virtual ProgramStart StartCommandLine(std::string_view commandLine) = 0;
    // Asks the shell to open a file, a URL or a "mailto:" address with what is registered
    // for it. Returns the shell's code (see Launched).
    virtual int ShellOpen(std::string_view target) = 0;

    // --- notification area -----------------------------------------------------------
    virtual bool AddTrayIcon(std::string_view tip) = 0;
    virtual void SetTrayTip(std::string_view tip) = 0;
    virtual void DeleteTrayIcon() = 0;
    // Tracks the menu at the cursor with the main window in the foreground; the chosen
    // item arrives later as OnCommand.
    virtual void TrackPopupMenu(const std::vector<MenuItem>& items) = 0;

    // --- clock, privileges and power -------------------------------------------------------
    // The system clock in microseconds since 1970-01-01 00:00 UTC, at its full resolution.
    virtual std::int64_t NowMicroseconds() = 0;
    virtual CivilTime ToLocalTime(std::int64_t unixSeconds) = 0;
    virtual bool SetSystemTimeUtc(const CivilTime& utc) = 0;
    // Enables the named privilege in the process's own token; it stays enabled.
    virtual PrivilegeOutcome EnablePrivilege(std::string_view name) = 0;
    virtual bool RequestPowerOff() = 0;

    // --- registry --------------------------------------------------------------------
    // Whether the key exists and opens for full access (reading, writing, deleting).
    virtual bool CanWriteRegistryKey(RegistryRoot root, std::string_view key) = 0;
    // The whole value, however long; nothing when it is absent or cannot be read.
    virtual std::optional<RegistryValue> ReadRegistryValue(const RegistryPlace& place) = 0;
    // Creates the key when it is missing. False when it cannot be created or written.
    virtual bool WriteRegistryValue(const RegistryPlace& place, const RegistryValue& value) = 0;
    virtual bool DeleteRegistryValue(const RegistryPlace& place) = 0;

    // --- sound -----------------------------------------------------------------------
    // Plays asynchronously and never cuts off a sound still playing (then reports false).
    virtual bool PlaySoundFile(std::string_view path) = 0;

    // --- network ---------------------------------------------------------------------
    // A numeric address is taken as it stands; a host name is resolved synchronously, to
    // its addresses of both families in the order the system gives them. Only for callers
    // without a user to keep waiting (the time service, a console tool): the tray program
    // looks names up with StartLookup.
    virtual std::vector<IpAddress> ResolveHost(std::string_view host) = 0;
    virtual std::unique_ptr<UdpSocket> OpenUdpSocket(UdpSocketEvents& events) = 0;
    virtual std::uint32_t RandomBits() = 0;
};

} // namespace hv
