#include "app/MainFrame.h"

#include "app/CompanionProtocol.h"
#include "app/TimerIds.h"
#include "settings/SettingsFile.h"

#include <string>

namespace hv {

namespace {
constexpr const char* kTrayTipOnAdd = "Horvane";
constexpr const char* kTraceTrayIconNotAdded = "Horvane: the notification-area icon could not be added";
constexpr const char* kTraceTimerNotSet = "Horvane: a timer could not be started, id ";
constexpr const char* kTraceSettingsNotSaved = "Horvane: config.txt could not be written";

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string{} : path.substr(0, slash + 1);
}
} // namespace

CMainFrame::CMainFrame(Platform& platform, TimeServiceLink* timeService)
    : m_sntp(platform), m_platform(platform), m_serviceRun(timeService) {
    m_programDir = DirectoryOf(m_platform.ModuleFileName());
    // Starting values for whatever the file does not set: those of a first start.
    ApplyEmptyFileDefaults(m_settings, m_programDir);
    LoadSettings();
}

CMainFrame::~CMainFrame() {
    m_platform.KillTimer(IDT_TICK);
    m_platform.KillTimer(IDT_AUTOSYNC);
    SaveSettings();
}

bool CMainFrame::Create() { return m_platform.CreateMainWindow(*this); }

bool CMainFrame::LoadSettings() { return LoadSettingsFile(m_platform, m_programDir, m_settings); }

bool CMainFrame::SaveSettings() {
    const bool saved = SaveSettingsFile(m_platform, m_programDir, m_settings);
    if (!saved) m_platform.Trace(kTraceSettingsNotSaved);
    return saved;
}

void CMainFrame::OnWindowCreated() { AddTrayIcon(); }

void CMainFrame::OnTaskbarCreated() {
    // A restarted shell has forgotten every icon; without ours the program is unreachable.
    AddTrayIcon();
}

void CMainFrame::OnStartup() {
    StartTimer(IDT_TICK, kTickMs);
    m_platform.SetMainWindowTitle(kMainWindowTitle);
    if (m_settings.alwaysShowBar) {
        m_settings.barVisible = true;
        ShowDateTimeBar();
    } else if (m_settings.barVisible) {
        m_settings.barVisible = false;
        OnDateTimeBar();
    }
    if (AutoSyncScheduled(m_settings.autoSync, m_settings.autoSyncStep) && SelectDefaultServer()) {
        StartAutoSyncTimer();
    }
}

void CMainFrame::OnClose() {
    m_platform.DeleteTrayIcon();
    if (WindowId bar = m_platform.FindWindowByTitle(kBarWindowTitle)) m_platform.SendCopyData(bar, kCodeQuit, {});
    if (WindowId sync = m_platform.FindWindowByTitle(kSyncWindowTitle)) m_platform.SendCopyData(sync, kCodeQuit, {});
    m_platform.DestroyMainWindow();
}

void CMainFrame::OnEndSession() {
    // The session ends the process without a close; what changed since start-up would be
    // lost, and our own scheduled power-off would always lose it.
    SaveSettings();
}

CivilTime CMainFrame::LocalNow() {
    return m_platform.ToLocalTime(SplitUnixMicros(m_platform.NowMicroseconds()).seconds);
}

void CMainFrame::StartTimer(int timerId, unsigned periodMs) {
    if (!m_platform.SetTimer(timerId, periodMs)) m_platform.Trace(kTraceTimerNotSet + std::to_string(timerId));
}

void CMainFrame::StartAutoSyncTimer() { StartTimer(IDT_AUTOSYNC, AutoSyncPeriodMs(m_settings.autoSyncStep)); }

void CMainFrame::StartCompanion(const char* commandLine) { m_platform.RunCommandLine(m_programDir + commandLine); }

void CMainFrame::ShowDateTimeBar() {
    StartCompanion(kBarCommandLine);
    NotifyStatus();
}

void CMainFrame::AddTrayIcon() {
    if (!m_platform.AddTrayIcon(kTrayTipOnAdd)) m_platform.Trace(kTraceTrayIconNotAdded);
}

void CMainFrame::SendToSyncWindow(std::uintptr_t code, std::string_view text) {
    if (WindowId sync = m_platform.FindWindowByTitle(kSyncWindowTitle)) m_platform.SendCopyData(sync, code, text);
}

} // namespace hv
