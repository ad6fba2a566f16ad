#include "app/MainFrame.h"

#include "app/CommandIds.h"
#include "app/CompanionProtocol.h"
#include "app/TimerIds.h"
#include "framework/WindowMessages.h"
#include "settings/ServerList.h"

namespace hv {

namespace {
constexpr const char* kTrayTipOnAdd = "Horvane";

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string{} : path.substr(0, slash + 1);
}
} // namespace

CMainFrame::CMainFrame(Platform& platform, DialogSeams& dialogs)
    : m_sntp(platform), m_platform(platform), m_dialogs(dialogs) {
    m_programDir = DirectoryOf(m_platform.ModuleFileName());
    // Starting values for whatever the file does not set: those of a first start.
    ApplyEmptyFileDefaults(*this, m_programDir);
    LoadSettings();
}

CMainFrame::~CMainFrame() {
    m_platform.KillTimer(IDT_TICK);
    m_platform.KillTimer(IDT_AUTOSYNC);
    SaveSettings();
}

bool CMainFrame::Create() { return m_platform.CreateMainWindow(*this); }

bool CMainFrame::LoadSettings() { return LoadSettingsFile(m_platform, m_programDir, *this); }

bool CMainFrame::SaveSettings() { return SaveSettingsFile(m_platform, m_programDir, *this); }

void CMainFrame::OnWindowCreated() { m_platform.AddTrayIcon(kTrayTipOnAdd); }

void CMainFrame::OnTaskbarCreated() {
    // A restarted shell has forgotten every icon; without ours the program is unreachable.
    m_platform.AddTrayIcon(kTrayTipOnAdd);
}

void CMainFrame::OnStartup() {
    m_platform.SetTimer(IDT_TICK, kTickMs);
    m_platform.SetMainWindowTitle(kMainWindowTitle);
    if (m_alwaysShowBar) {
        m_barVisible = true;
        ShowDateTimeBar();
    } else if (m_barVisible) {
        m_barVisible = false;
        OnDateTimeBar();
    }
    if (AutoSyncScheduled(m_autoSync, m_autoSyncStep) && SelectDefaultServer()) StartAutoSyncTimer();
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

void CMainFrame::StartAutoSyncTimer() { m_platform.SetTimer(IDT_AUTOSYNC, AutoSyncPeriodMs(m_autoSyncStep)); }

void CMainFrame::StartCompanion(const char* commandLine) { m_platform.RunCommandLine(m_programDir + commandLine); }

void CMainFrame::ShowDateTimeBar() {
    StartCompanion(kBarCommandLine);
    NotifyStatus();
}

void CMainFrame::SendToSyncWindow(std::uintptr_t code, std::string_view text) {
    if (WindowId sync = m_platform.FindWindowByTitle(kSyncWindowTitle)) m_platform.SendCopyData(sync, code, text);
}

} // namespace hv
