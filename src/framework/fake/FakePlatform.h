#pragma once
#include "framework/Dialog.h"
#include "framework/Platform.h"
#include "framework/fake/FakeDialogView.h"

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace hv {

// A deterministic stand-in for the operating system. Time stands still until a test
// advances it; timers fire from the virtual clock in due order; files, registry, windows
// and the network live in memory, and everything the program asked for is recorded.
class FakePlatform : public Platform {
public:
    // --- what a test sets up or inspects ------------------------------------------------
    struct CopyDataRecord {
        std::uintptr_t code;
        std::string text;
    };
    struct FakeWindow {
        std::string title;
        std::vector<CopyDataRecord> received;
        bool hung = false;  // takes no message: a send to it waits kSendTimeoutMs in vain
    };
    struct SentDatagram {
        int socketId;
        IpEndpoint to;
        std::vector<std::uint8_t> bytes;
    };
    struct TimerState {
        unsigned periodMs;
        std::int64_t nextDueElapsedMicros;
    };

    bool socketLayerAvailable = true;
    bool socketLayerStarted = false;
    bool otherInstanceRunning = false;
    bool instanceLockHeld = false;
    std::vector<std::string> traces;
    std::string moduleFileName = "C:\\Horvane\\Horvane.exe";
    std::map<std::string, std::string> files;
    // Files that exist but cannot be opened: held by another program, or access denied.
    std::set<std::string> unopenableFiles;
    // Folders (with their trailing backslash) where no new file may be made.
    std::set<std::string> foldersRefusingNewFiles;

    std::string mainWindowTitle;
    bool mainWindowExists = false;
    std::map<int, TimerState> timers;
    std::set<int> refusedTimers;
    std::vector<std::string> messageBoxes;
    std::vector<std::string> commandLines;  // of the programs started
    std::set<std::string> missingPrograms;
    std::vector<std::string> shellOpened;
    // How a command line as it stands starts, and what the shell answers (above 32: opened).
    ProgramStart commandLineStart{ProgramStart::Status::Started, 0};
    int shellOpenResult = 42;

    bool trayIconPresent = false;
    int trayIconAdds = 0;
    int trayIconRefusals = 0;  // how many adds the shell refuses before it takes one
    std::string trayTip;
    std::vector<std::vector<MenuItem>> menusShown;

    // The local zone: a fixed offset from UTC, and optionally daylight saving time, when
    // the clock is `shiftSeconds` further ahead from `startUtc` up to `endUtc` (seconds
    // since 1970, UTC), as a zone's rule makes it for one year.
    struct DaylightSaving {
        std::int64_t startUtc;
        std::int64_t endUtc;
        int shiftSeconds = 3600;
    };
    int localOffsetSeconds = 0;
    std::optional<DaylightSaving> daylightSaving;
    std::vector<CivilTime> systemTimeSets;
    bool refuseSystemTime = false;
    // Time passes as on a real machine: every reading of the clock costs this much, and
    // setting it takes this much after the new time applies (at the start of the call).
    std::int64_t clockReadMicros = 1;
    std::int64_t setTimeCallMicros = 20;

    bool tokenOpens = true;
    std::uint32_t tokenOpenError = 5;
    bool privilegeHeld = true;
    std::vector<std::string> privilegesEnabled;
    int powerOffRequests = 0;

    // "HKLM\\path", "HKCU\\path" or "HKCR\\path" -> value name ("" the default) -> value.
    std::map<std::string, std::map<std::string, RegistryValue>> registry;
    std::set<std::string> registryKeysDeniedWrite;

    // Dialogs: what a test does inside each modal run, by template id. A dialog still open
    // when its script returns (or that has none) is closed with Esc.
    std::map<int, std::function<void(FakeDialogView&)>> dialogScripts;
    std::vector<int> dialogsRun;
    std::optional<std::string> fileToPick;
    std::optional<Colour> colourToPick;
    std::vector<std::string> filePickerFilters;
    std::vector<Colour> colourPickerStarts;

    std::vector<std::string> soundsPlayed;
    std::int64_t soundBusyUntilMicros = 0;
    std::int64_t soundLengthMicros = 0;

    // Host names and their addresses, in the order the resolver gives them.
    std::map<std::string, std::vector<IpAddress>> hosts;
    // Looking a name up takes this long on the virtual clock, or never ends.
    std::int64_t lookupDelayMs = 0;
    bool lookupsNeverAnswer = false;
    std::vector<std::string> lookupsStarted;
    bool failSocketOpen = false;
    bool failSends = false;
    bool failIpv6Sends = false;  // no route for IPv6
    bool failReceive = false;
    std::vector<SentDatagram> sent;

    // Windows of other programs, found by title.
    WindowId AddWindow(const std::string& title);
    void RemoveWindow(WindowId id);
    FakeWindow* Window(WindowId id);
    FakeWindow* WindowTitled(const std::string& title);

    void SetNowMicroseconds(std::int64_t micros) { m_nowMicros = micros; }
    // How far the system clock stands from the time that has really passed: changes only
    // when the clock is set, so a test sees exactly what a step did.
    std::int64_t ClockStepMicros() const { return m_nowMicros - m_elapsedMicros; }
    // Lets time pass: the clock moves forward and every timer that falls due on the way fires,
    // the main window's and the open dialogs' alike. Called inside a modal dialog's run, it
    // stops when that dialog closes, as the dialog's message loop ends then.
    void AdvanceMs(std::int64_t ms);
    // The innermost modal dialog of that template that is open, or nothing.
    FakeDialogView* OpenDialog(int templateId);

    // The dialogs' timers, run by AdvanceMs.
    void SetDialogTimer(FakeDialogView* view, int timerId, unsigned periodMs);
    void KillDialogTimer(FakeDialogView* view, int timerId);
    void KillDialogTimers(const FakeDialogView* view);
    bool DialogTimerRunning(const FakeDialogView* view, int timerId) const;
    bool TimerRunning(int id) const { return timers.count(id) != 0; }

    // Hands a datagram to an open socket (the newest by default) and reports it readable.
    bool Deliver(const Datagram& datagram, int socketId = -1);
    int OpenSocketCount() const { return static_cast<int>(m_sockets.size()); }
    // Look-ups started and neither answered nor abandoned.
    int PendingLookupCount() const { return static_cast<int>(m_lookups.size()); }
    int NewestSocketId() const;

    // --- Platform ------------------------------------------------------------------------
    Held StartSocketLayer() override;
    Held AcquireInstanceLock(std::string_view name) override;
    std::string ModuleFileName() override { return moduleFileName; }
    void Trace(std::string_view text) override { traces.emplace_back(text); }

    FileRead ReadTextFileHead(const std::string& path, std::size_t maxBytes) override;
    bool CreateFileIfMissing(const std::string& path) override;
    FileReplace ReplaceFileContents(const std::string& path, std::string_view contents) override;
    bool RewriteFileInPlace(const std::string& path, std::string_view contents) override;

    bool CreateMainWindow(WindowEvents& events) override;
    WindowId MainWindow() override { return mainWindowExists ? kMainWindowId : 0; }
    void SetMainWindowTitle(std::string_view title) override { mainWindowTitle = title; }
    void DestroyMainWindow() override;
    bool SetTimer(int timerId, unsigned periodMs) override;
    void KillTimer(int timerId) override { timers.erase(timerId); }
    int RunMessageLoop() override { return 0; }
    int RunModalDialog(Dialog& dialog) override;

    WindowId FindWindowByTitle(std::string_view title) override;
    bool SendCopyData(WindowId to, std::uintptr_t code, std::string_view text) override;
    bool SendCommand(WindowId to, int commandId) override;
    void ShowMessageBox(std::string_view text) override { messageBoxes.emplace_back(text); }

    ProgramStart StartProgram(std::string_view program, std::string_view arguments) override;
    ProgramStart StartCommandLine(std::string_view commandLine) override;
    int ShellOpen(std::string_view target) override {
        shellOpened.emplace_back(target);
        return shellOpenResult;
    }

    bool AddTrayIcon(std::string_view tip) override;
    void SetTrayTip(std::string_view tip) override { trayTip = tip; }
    void DeleteTrayIcon() override { trayIconPresent = false; }
    void TrackPopupMenu(const std::vector<MenuItem>& items) override { menusShown.push_back(items); }

    std::int64_t NowMicroseconds() override;
    CivilTime ToLocalTime(std::int64_t unixSeconds) override;
    bool SetSystemTimeUtc(const CivilTime& utc) override;

    PrivilegeOutcome EnablePrivilege(std::string_view name) override;
    bool RequestPowerOff() override { ++powerOffRequests; return true; }

    bool CanWriteRegistryKey(RegistryRoot root, std::string_view key) override;
    std::optional<RegistryValue> ReadRegistryValue(const RegistryPlace& place) override;
    bool WriteRegistryValue(const RegistryPlace& place, const RegistryValue& value) override;
    bool DeleteRegistryValue(const RegistryPlace& place) override;
    // The registry map's name of a key: "HKLM\\path", "HKCU\\path" or "HKCR\\path".
    static std::string RegistryKeyName(RegistryRoot root, std::string_view key);

    bool PlaySoundFile(std::string_view path) override;

    std::vector<IpAddress> ResolveHost(std::string_view host) override;
    std::unique_ptr<PendingLookup> StartLookup(std::string_view host, LookupEvents& events) override;
    std::unique_ptr<UdpSocket> OpenUdpSocket(UdpSocketEvents& events) override;
    std::uint32_t RandomBits() override;

    static constexpr WindowId kMainWindowId = 1;

private:
    class FakeSocket;
    class FakeLookup;
    bool FolderRefusesNewFiles(const std::string& path) const;
    friend class FakeSocket;
    friend class FakeLookup;
    struct LookupSlot {
        LookupEvents* events;
        std::string host;
        std::optional<std::int64_t> dueElapsedMicros;  // nothing: never answered
    };
    // The look-up that falls due first within `end`, if any.
    std::optional<std::pair<std::int64_t, int>> NextLookupDue(std::int64_t end) const;
    void AnswerLookup(int id);
    struct SocketSlot {
        UdpSocketEvents* events;
        std::vector<Datagram> inbox;
    };

    // The system clock, which setting the time steps, and the time that has passed, which
    // timers run on: as on Windows, a clock change neither fires nor delays a timer.
    std::int64_t m_nowMicros = 0;
    std::int64_t m_elapsedMicros = 0;
    WindowEvents* m_events = nullptr;
    std::map<WindowId, FakeWindow> m_windows;
    WindowId m_nextWindowId = 100;
    std::map<int, SocketSlot> m_sockets;
    std::map<int, LookupSlot> m_lookups;
    int m_nextLookupId = 1;
    int m_nextSocketId = 1;
    std::map<std::pair<FakeDialogView*, int>, TimerState> m_dialogTimers;
    std::vector<FakeDialogView*> m_modalDialogs;
    std::uint32_t m_randomState = 0x2545F491u;
};

// Builds a UTC instant for tests: 2026-03-14 12:00:00.900 and the like.
std::int64_t MicrosFromUtc(int year, int month, int day, int hour, int minute, int second,
                           int microsecond = 0);

} // namespace hv
