#include "app/CommandIds.h"
#include "app/MainFrame.h"
#include "app/TimerIds.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/CalendarDialog.h"
#include "dialogs/OptionsDialog.h"
#include "dialogs/ShutdownCountdownDialog.h"
#include "dialogs/ShutdownScheduleDialog.h"
#include "framework/ReentryGuard.h"
#include "protocol/CompanionProtocol.h"

namespace hv {

namespace {
// Opens the system's date and time settings on their time-zone page.
constexpr const char* kTimeZoneProgram = "rundll32.exe";
constexpr const char* kTimeZoneArguments = "shell32.dll,Control_RunDLL timedate.cpl,,1";
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
    const ReentryGuard guard(m_prefsOpen);
    if (!guard.Entered()) return;
    OptionsDialog options(m_platform, m_settings, m_policy);
    if (m_platform.RunModalDialog(options) == kIdOk) ApplyPreferences(options.Chosen());
}

void CMainFrame::ApplyPreferences(const Settings& chosen) {
    m_settings.bellEnabled = chosen.bellEnabled;
    m_settings.alwaysShowBar = chosen.alwaysShowBar;
    m_settings.bellFile = chosen.bellFile;
    m_settings.chimeHourly = chosen.chimeHourly;
    m_settings.serverList = chosen.serverList;
    SelectDefaultServer();
    // Unchanged, the automatic period keeps its phase; changed, it starts afresh from now.
    if (chosen.autoSync != m_settings.autoSync || chosen.autoSyncStep != m_settings.autoSyncStep) {
        m_settings.autoSync = chosen.autoSync;
        m_settings.autoSyncStep = chosen.autoSyncStep;
        m_platform.KillTimer(kTimerAutoSync);
        if (AutoSyncScheduled(m_settings.autoSync, m_settings.autoSyncStep)) StartAutoSyncTimer();
    }
    if (m_settings.alwaysShowBar && !m_settings.barVisible) {
        m_settings.barVisible = true;
        ShowDateTimeBar(StartedBy::Program);
    }
    SendToWindowTitled(kSyncWindowTitle, kCodeServerAddress, m_syncRun.ServerAddress());
}

void CMainFrame::OnSynchronizeTime() { StartCompanion(kSyncProgram); }

void CMainFrame::OnWorldClock() { StartCompanion(kWorldClockProgram); }

void CMainFrame::OnCalendar() {
    // Repeated requests would otherwise stack one modal loop inside the other.
    const ReentryGuard guard(m_calendarOpen);
    if (!guard.Entered()) return;
    CalendarDialog calendar;
    m_platform.RunModalDialog(calendar);
}

void CMainFrame::OnBell() { m_settings.bellEnabled = m_settings.bellEnabled == 0 ? 1 : 0; }

void CMainFrame::OnShutDown() {
    // Also when a companion asks for the command the menu no longer offers.
    if (!m_policy.shutdownOffered) return;
    const ReentryGuard guard(m_shutdownDlgOpen);
    if (!guard.Entered()) return;
    const bool armedBefore = m_settings.shutdown.IsArmed();
    ShutdownScheduleDialog dialog(m_platform, m_settings.shutdown);
    m_platform.RunModalDialog(dialog);
    // Meanwhile only the tick changes the schedule here: disarmed now, it fell due and its
    // countdown was shown. The dialog's copy of it is stale and must not fall due again.
    const bool fellDueMeanwhile = armedBefore && !m_settings.shutdown.IsArmed();
    TakeBackSchedule(dialog.Schedule());
    if (fellDueMeanwhile && !dialog.ArmedHere()) m_settings.shutdown.disarmed = true;
}

void CMainFrame::TakeBackSchedule(const ShutdownSchedule& edited) {
    // The count of a delay schedule comes back only for a delay schedule: an at-time
    // schedule's count is worked out afresh on every tick.
    const std::int32_t secondsLeft =
        edited.kind == kShutdownAfterDelay ? edited.secondsLeft : m_settings.shutdown.secondsLeft;
    m_settings.shutdown = edited;
    m_settings.shutdown.secondsLeft = secondsLeft;
}

void CMainFrame::RunShutdownCountdown() {
    // The power-off may end the session at once, before any window hears of it.
    ShutdownCountdownDialog countdown(m_platform, [this] { SaveSettings(); });
    m_platform.RunModalDialog(countdown);
}

void CMainFrame::OnDateTimeBar() {
    if (m_settings.alwaysShowBar) return;
    if (m_settings.barVisible) {
        m_settings.barVisible = false;
        SendToWindowTitled(kBarWindowTitle, kCodeQuit);
    } else {
        m_settings.barVisible = true;
        ShowDateTimeBar(StartedBy::User);
    }
}

void CMainFrame::OnViewLog() {
    if (m_logView.IsOpen()) return;
    m_logView.SetPendingText(m_logText.Text());
    m_platform.RunModalDialog(m_logView);
}

void CMainFrame::OnChangeTimeZone() { StartProgram(kTimeZoneProgram, kTimeZoneArguments); }

void CMainFrame::OnHelp() { m_platform.ShellOpen(m_programDir + kHelpFileName); }

void CMainFrame::OnAbout() {
    const ReentryGuard guard(m_aboutOpen);
    if (!guard.Entered()) return;
    AboutDialog about(m_platform);
    m_platform.RunModalDialog(about);
}

void CMainFrame::OnExit() {
    // A message sent to a window of the same thread is a direct call of its handler.
    OnClose();
}

} // namespace hv
