#pragma once
#include "app/CatchUpRuns.h"
#include "app/CompanionProtocol.h"
#include "app/TimeServiceRun.h"
#include "dialogs/LogViewDialog.h"
#include "framework/LocalTime.h"
#include "framework/Platform.h"
#include "log/ActivityLog.h"
#include "prefs/Chime.h"
#include "settings/Settings.h"
#include "sync/SntpClient.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hv {

// The hidden main window: it owns the tray icon, every timer and all of the program's
// state, and each of its handlers is one behaviour of the program. Its handlers are spread
// over files named after it: MainFrame.cpp (life cycle), MainFrameTimers.cpp,
// MainFrameSync.cpp, MainFrameCopyData.cpp, MainFrameTray.cpp and MainFrameCommands.cpp.
class CMainFrame final : public WindowEvents {
public:
    // With a link to the time service, runs go through the service whenever it is running.
    explicit CMainFrame(Platform& platform, TimeServiceLink* timeService = nullptr);
    // Stops the timers and writes the settings.
    ~CMainFrame();
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    // Creates the hidden window (no taskbar button) and adds the tray icon.
    bool Create();

    // --- window events ---------------------------------------------------------------
    void OnWindowCreated() override;
    void OnStartup() override;
    void OnTimer(int timerId) override;
    void OnCommand(int commandId) override;
    bool OnCopyData(std::uintptr_t code) override;
    void OnTrayNotify(unsigned iconId, unsigned mouseMessage) override;
    void OnTaskbarCreated() override;
    void OnClose() override;
    void OnEndSession() override;
    void OnResumedFromSleep() override;
    void OnNetworkConnectivity(bool connected) override;

    // --- settings ----------------------------------------------------------------------
    bool LoadSettings();
    bool SaveSettings();

    // --- synchronisation ---------------------------------------------------------------
    bool SelectDefaultServer();
    void StartSync();
    void HandleSyncResult(const CivilTime& tickTime);
    void HandleSyncTimeout();
    void StopSync();
    // A request is outstanding, in-process or with the time service.
    bool SyncAwaitingReply() const { return m_sntp.AwaitingReply() || m_serviceRun.Awaiting(); }

    // --- companions and log ----------------------------------------------------------
    // Tells the date-time bar the synchronisation status and refreshes an open log view.
    void NotifyStatus();
    void TrimLog() { m_logText.Trim(); }

    // --- commands ----------------------------------------------------------------------
    void OnPreferences();
    // The preferences dialog's OK: takes the chosen values and applies them at once.
    void ApplyPreferences(const Settings& chosen);
    void OnSynchronizeTime();
    void OnWorldClock();
    void OnCalendar();
    void OnBell();
    void OnShutDown();
    // However the schedule dialog closed, the schedule it shows comes back.
    void TakeBackSchedule(const ShutdownSchedule& edited);
    void OnDateTimeBar();
    void OnRunAtStartup();
    void OnViewLog();
    void OnChangeTimeZone();
    void OnHelp();
    void OnAbout();
    void OnExit();

    std::vector<MenuItem> BuildTrayMenu();

    // --- state -------------------------------------------------------------------------
    Settings m_settings;
    ActivityLog m_logText;
    // Set while the preferences or the shutdown dialog is open (by a ReentryGuard), so
    // that the command that opened it is ignored meanwhile.
    bool m_prefsOpen = false;
    bool m_shutdownDlgOpen = false;
    bool m_syncPending = false;  // a request was sent and its result is not handled yet
    bool m_lastSyncOk = true;
    std::string m_syncReplyText;  // what the manual synchronisation window was last sent
    std::string m_programDir;     // the executable's directory, with its trailing backslash
    SntpClient m_sntp;
    // Kept for every showing, so that it can be found open and refreshed.
    LogViewDialog m_logView;

private:
    CivilTime LocalNow();
    void OnTick();
    void RunShutdownCountdown();
    void StartTimer(int timerId, unsigned periodMs);
    void StartAutoSyncTimer();
    // Who wanted a program started: a program the user chose that will not start is named
    // in a message box; one the program starts on its own, in an error entry of the log.
    enum class StartedBy { User, Program };
    void StartCompanion(const CompanionProgram& companion, StartedBy by = StartedBy::User);
    void StartProgram(const std::string& program, std::string_view arguments, StartedBy by = StartedBy::User);
    void ShowDateTimeBar(StartedBy by);
    void AddTrayIcon();
    bool TryAddTrayIcon();
    // Copy-data to another program's window; a send it did not take in time is traced.
    void SendToWindow(WindowId window, std::string_view title, std::uintptr_t code, std::string_view text = {});
    void SendToWindowTitled(const char* title, std::uintptr_t code, std::string_view text = {});
    void SendToSyncWindow(std::uintptr_t code, std::string_view text) { SendToWindowTitled(kSyncWindowTitle, code, text); }
    // The steps of a run that both ways of measuring share.
    void OnRequestSent();
    void OnRequestFailed();
    void WriteMeasurement(const CivilTime& at, double delay, double offset);
    void WriteAdjustment(double offset);
    // The time service's side of a run.
    bool StartSyncThroughService();
    void FinishServiceRun(const CivilTime& tickTime, const std::optional<ServiceReply>& answer);
    // An error entry in plain words; ReportServiceTrouble gives the companion the same words
    // under a stamp line too.
    void LogPlainError(const CivilTime& at, std::string_view text);
    void ReportServiceTrouble(const CivilTime& at, std::string_view text);
    // A log entry naming the current server: the stamp, then text around its address.
    void LogServerEntry(ActivityLog::Kind kind, const CivilTime& at, std::string_view beforeAddress,
                        std::string_view afterAddress);
    bool IsRunValueSet(const RegistryPlace& place);
    // Ours under the machine's Run key or the user's.
    bool IsRunAtStartupSet();
    // Extra automatic runs after a resume and when the network is back.
    void RequestCatchUpRun(CatchUpRuns::Reason reason);
    void RunCatchUp();
    bool CanSetRunAtStartup();
    void ShowTrayMenu();

    Platform& m_platform;
    TimeServiceRun m_serviceRun;
    ChimeClock m_chimeClock;
    CatchUpRuns m_catchUpRuns;
    std::optional<std::int64_t> m_lastTickUtc;
    bool m_settingsFileUnreadable = false;  // then it is never written over
    // Set while the calendar or the About box is open: one of each at a time.
    bool m_calendarOpen = false;
    bool m_aboutOpen = false;
};

} // namespace hv
