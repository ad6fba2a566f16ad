#include "app/CommandIds.h"
#include "app/CompanionProtocol.h"
#include "app/MainFrame.h"
#include "app/TimerIds.h"

namespace hv {

namespace {
constexpr const char* kTimeZoneCommandLine = "rundll32.exe shell32.dll,Control_RunDLL timedate.cpl,,1";
constexpr const char* kHelpFileName = "Horvane.chm";
} // namespace

void CMainFrame::OnCommand(int commandId) {
    switch (commandId) {
    case kCmdPreferences: OnPreferences(); break;
    case kCmdSynchronizeTime: OnSynchronizeTime(); break;
    case kCmdWorldClock: OnWorldClock(); break;
    case kCmdCalendar: OnCalendar(); break;
    case kCmdBell: OnBell(); break;
    case kCmdShutDown: OnShutDown(); break;
    case kCmdDateTimeBar: OnDateTimeBar(); break;
    case kCmdRunAtStartup: OnRunAtStartup(); break;
    case kCmdViewLog: OnViewLog(); break;
    case kCmdChangeTimeZone: OnChangeTimeZone(); break;
    case kCmdHelp: OnHelp(); break;
    case kCmdAbout: OnAbout(); break;
    case kCmdExit: OnExit(); break;
    default: break;
    }
}

void CMainFrame::OnPreferences() {
    if (m_prefsOpen) return;
    PreferencesValues values{m_bellEnabled, m_alwaysShowBar, m_autoSync, m_autoSyncStep,
                             m_bellFile,    m_chimeHourly,   m_serverList};
    m_prefsOpen = true;
    const bool accepted = m_dialogs.RunPreferences(values);
    m_prefsOpen = false;
    if (!accepted) return;

    m_bellEnabled = values.bellEnabled;
    m_alwaysShowBar = values.alwaysShowBar;
    m_bellFile = values.bellFile;
    m_chimeHourly = values.chimeHourly;
    m_serverList = values.serverList;
    SelectDefaultServer();
    if (values.autoSync != m_autoSync || values.autoSyncStep != m_autoSyncStep) {
        m_autoSync = values.autoSync;
        m_autoSyncStep = values.autoSyncStep;
        m_platform.KillTimer(IDT_AUTOSYNC);
        if (AutoSyncScheduled(m_autoSync, m_autoSyncStep)) StartAutoSyncTimer();
    }
    if (m_alwaysShowBar && !m_barVisible) {
        m_barVisible = true;
        ShowDateTimeBar();
    }
    SendToSyncWindow(kCodeServerAddress, m_sntp.m_serverAddress);
}

void CMainFrame::OnSynchronizeTime() { StartCompanion(kSyncCommandLine); }

void CMainFrame::OnWorldClock() { StartCompanion(kWorldClockCommandLine); }

void CMainFrame::OnCalendar() { m_dialogs.RunCalendar(); }

void CMainFrame::OnBell() { m_bellEnabled = m_bellEnabled == 0 ? 1 : 0; }

void CMainFrame::OnShutDown() {
    if (m_shutdownDlgOpen) return;
    ShutdownScheduleValues values{m_shutdownKind, m_afterHour,   m_afterMinute,       m_afterSecond,
                                  m_atHour,       m_atMinute,    m_atSecond,          m_shutdownAtStartup,
                                  m_secondsLeft,  m_shutdownDisarmed};
    m_shutdownDlgOpen = true;
    m_dialogs.RunShutdownSchedule(values);
    m_shutdownKind = values.kind;
    m_afterHour = values.afterHour;
    m_afterMinute = values.afterMinute;
    m_afterSecond = values.afterSecond;
    m_atHour = values.atHour;
    m_atMinute = values.atMinute;
    m_atSecond = values.atSecond;
    m_shutdownAtStartup = values.atStartup;
    m_shutdownDisarmed = values.disarmed;
    if (values.kind == kShutdownAfterDelay) m_secondsLeft = values.secondsLeft;
    m_shutdownDlgOpen = false;
}

void CMainFrame::OnDateTimeBar() {
    if (m_alwaysShowBar) return;
    if (m_barVisible) {
        m_barVisible = false;
        if (WindowId bar = m_platform.FindWindowByTitle(kBarWindowTitle)) m_platform.SendCopyData(bar, kCodeQuit, {});
    } else {
        m_barVisible = true;
        ShowDateTimeBar();
    }
}

void CMainFrame::OnViewLog() {
    if (m_dialogs.IsLogViewVisible()) return;
    m_dialogs.RunLogView(m_logText.Text());
}

void CMainFrame::OnChangeTimeZone() { m_platform.RunCommandLine(kTimeZoneCommandLine); }

void CMainFrame::OnHelp() { m_platform.ShellOpen(m_programDir + kHelpFileName); }

void CMainFrame::OnAbout() { m_dialogs.RunAbout(); }

void CMainFrame::OnExit() {
    // A message sent to a window of the same thread is a direct call of its handler.
    OnClose();
}

} // namespace hv
