#pragma once
#include "app/DialogSeams.h"
#include "framework/Platform.h"
#include "log/ActivityLog.h"
#include "prefs/Chime.h"
#include "settings/SettingsFile.h"
#include "sync/SntpClient.h"

#include <optional>
#include <string>

namespace hv {

// The hidden main window: it owns the tray icon, every timer and all of the program's
// state, and each of its handlers is one behaviour of the program.
class CMainFrame final : public WindowEvents, public SettingsFields {
public:
    CMainFrame(Platform& platform, DialogSeams& dialogs);
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

    // --- settings ----------------------------------------------------------------------
    bool LoadSettings();
    bool SaveSettings();

    // --- synchronisation ---------------------------------------------------------------
    bool SelectDefaultServer();
    void StartSync();
    void HandleSyncResult(const CivilTime& tickTime);
    void HandleSyncTimeout();
    void StopSync();

    // --- companions and log ----------------------------------------------------------
    void NotifyStatus();
    void TrimLog() { m_logText.Trim(); }

    // --- commands ----------------------------------------------------------------------
    void OnPreferences();
    void OnSynchronizeTime();
    void OnWorldClock();
    void OnCalendar();
    void OnBell();
    void OnShutDown();
    void OnDateTimeBar();
    void OnRunAtStartup();
    void OnViewLog();
    void OnChangeTimeZone();
    void OnHelp();
    void OnAbout();
    void OnExit();

    std::vector<MenuItem> BuildTrayMenu();

    // --- state, in declared order (the settings fields come from SettingsFields) ---------
    ActivityLog m_logText;
    bool m_shutdownDlgOpen = false;
    bool m_syncPending = false;
    bool m_prefsOpen = false;
    std::string m_syncReplyText;
    std::string m_programDir;
    bool m_lastSyncOk = true;
    SntpClient m_sntp;

private:
    CivilTime LocalNow();
    void OnTick();
    void StartAutoSyncTimer();
    void StartCompanion(const char* commandLine);
    void ShowDateTimeBar();
    void SendToSyncWindow(std::uintptr_t code, std::string_view text);
    // A log entry naming the current server: the stamp, then text around its address.
    void LogServerEntry(ActivityLog::Kind kind, const CivilTime& at, std::string_view beforeAddress,
                        std::string_view afterAddress);
    bool IsRunAtStartupSet(RegistryKey runKey);
    void ShowTrayMenu();

    Platform& m_platform;
    DialogSeams& m_dialogs;
    ChimeClock m_chimeClock;
    std::optional<LocalSeconds> m_lastTickLocal;
};

} // namespace hv
