#pragma once
#include "app/CatchUpRuns.h"
#include "app/SyncRun.h"
#include "dialogs/LogViewDialog.h"
#include "framework/LocalTime.h"
#include "framework/Platform.h"
#include "log/ActivityLog.h"
#include "prefs/Chime.h"
#include "protocol/CompanionProtocol.h"
#include "settings/Policy.h"
#include "settings/Settings.h"
#include "settings/SettingsLocation.h"

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

private:
    bool LoadSettings();
    bool SaveSettings();
    // The server the list's default entry names, for the runs; false, leaving the server as
    // it was, when that entry has no address.
    bool SelectDefaultServer();
    // Tells the date-time bar the synchronisation status and refreshes an open log view.
    void NotifyStatus() { m_syncRun.ShowStatus(); }
    void RefreshLogView();

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
    void SendToWindowTitled(const char* title, std::uintptr_t code, std::string_view text = {});
    // An error entry of the log in plain words.
    void LogError(std::string_view text);
    bool IsRunValueSet(const RegistryPlace& place);
    // Ours under the machine's Run key or the user's.
    bool IsRunAtStartupSet();
    // Extra automatic runs after a resume and when the network is back.
    void RequestCatchUpRun(CatchUpRuns::Reason reason);
    void RunCatchUp();
    bool CanSetRunAtStartup();
    void ShowTrayMenu();

    Platform& m_platform;
    Settings m_settings;
    std::string m_programDir; // the executable's directory, with its trailing backslash
    ActivityLog m_logText;
    SyncRun m_syncRun;
    // Set while the preferences or the shutdown dialog is open (by a ReentryGuard), so
    // that the command that opened it is ignored meanwhile.
    bool m_prefsOpen = false;
    bool m_shutdownDlgOpen = false;
    // Kept for every showing, so that it can be found open and refreshed.
    LogViewDialog m_logView;
    ChimeClock m_chimeClock;
    CatchUpRuns m_catchUpRuns;
    std::optional<std::int64_t> m_lastTickUtc;
    bool m_settingsFileUnreadable = false; // then it is never written over
    SettingsLocation m_settingsLocation;
    Policy m_policy;
    Settings m_usersOwnSettings; // as read, before the policy's values were put over them
    // Set while the calendar or the About box is open: one of each at a time.
    bool m_calendarOpen = false;
    bool m_aboutOpen = false;
};

} // namespace hv
