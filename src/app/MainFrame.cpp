#include "app/MainFrame.h"

#include "app/TimerIds.h"
#include "app/TracedCalls.h"
#include "protocol/CompanionProtocol.h"
#include "settings/SettingsFile.h"

#include <string>

namespace hv {

namespace {
constexpr const char* kTrayTipOnAdd = "Horvane";
constexpr const char* kTraceTrayIconNotAdded = "Horvane: the notification-area icon could not be added";
constexpr const char* kTextCannotStart = "Cannot start ";
constexpr const char* kTextFileMissing = "\r\nThe file does not exist.";
constexpr const char* kTextWindowsError = "\r\nWindows reports error ";
// The same on one line, for the log and the trace of a start nobody asked for.
constexpr const char* kLogFileMissing = ": the file does not exist.";
constexpr const char* kLogWindowsError = ": Windows reports error ";
constexpr const char* kTraceCompanionNotStarted = "Horvane: ";
constexpr const char* kLogLineEnd = "\r\n";
constexpr const char* kTraceSettingsNotSaved = "Horvane: config.txt could not be written";
constexpr const char* kTraceSettingsUnreadable =
    "Horvane: config.txt exists but could not be read; the defaults are in force and the file is kept as it is";
constexpr const char* kTraceSettingsKept = "Horvane: config.txt is not written, it could not be read at start";

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string{} : path.substr(0, slash + 1);
}
} // namespace

CMainFrame::CMainFrame(Platform& platform, TimeServiceLink* timeService)
    : m_platform(platform), m_syncRun(platform, m_logText, timeService, [this] { RefreshLogView(); }) {
    m_programDir = DirectoryOf(m_platform.ModuleFileName());
    // Starting values for whatever the file does not set: those of a first start.
    ApplyEmptyFileDefaults(m_settings, m_programDir);
    LoadSettings();
}

CMainFrame::~CMainFrame() {
    m_platform.KillTimer(kTimerTick);
    m_platform.KillTimer(kTimerAutoSync);
    SaveSettings();
}

bool CMainFrame::Create() { return m_platform.CreateMainWindow(*this); }

bool CMainFrame::LoadSettings() {
    m_settingsLocation = FindSettingsLocation(m_platform, m_programDir);
    const SettingsFileState state = LoadSettingsFile(m_platform, m_settingsLocation, m_programDir, m_settings);
    m_usersOwnSettings = m_settings;
    m_policy = Policy::Read(m_platform);
    m_policy.ApplyTo(m_settings);
    // A file that exists but could not be read (held by another program, access denied)
    // holds the user's settings: writing the defaults over it at the end would lose them.
    m_settingsFileUnreadable = state == SettingsFileState::Unreadable;
    if (m_settingsFileUnreadable) m_platform.Trace(kTraceSettingsUnreadable);
    return state == SettingsFileState::Read;
}

bool CMainFrame::SaveSettings() {
    if (m_settingsFileUnreadable) {
        m_platform.Trace(kTraceSettingsKept);
        return false;
    }
    Settings toSave = m_settings;
    m_policy.KeepUsersOwn(toSave, m_usersOwnSettings);
    const bool saved = SaveSettingsFile(m_platform, m_settingsLocation, toSave);
    if (!saved) m_platform.Trace(kTraceSettingsNotSaved);
    return saved;
}

void CMainFrame::OnWindowCreated() { AddTrayIcon(); }

void CMainFrame::OnTaskbarCreated() {
    // A restarted shell has forgotten every icon; without ours the program is unreachable.
    AddTrayIcon();
}

void CMainFrame::OnStartup() {
    StartTimer(kTimerTick, kTickMs);
    m_platform.SetMainWindowTitle(kMainWindowTitle);
    // Nobody asked for the bar here: a missing one must not greet every start with a box.
    if (m_settings.alwaysShowBar || m_settings.barVisible) {
        m_settings.barVisible = true;
        ShowDateTimeBar(StartedBy::Program);
    }
    // Those who switch automatic runs off synchronise by hand: the manual window needs the
    // server whatever [auto] says.
    const bool serverChosen = SelectDefaultServer();
    if (AutoSyncScheduled(m_settings.autoSync, m_settings.autoSyncStep) && serverChosen) StartAutoSyncTimer();
}

void CMainFrame::OnClose() {
    m_platform.DeleteTrayIcon();
    SendToWindowTitled(kBarWindowTitle, kCodeQuit);
    SendToWindowTitled(kSyncWindowTitle, kCodeQuit);
    m_platform.DestroyMainWindow();
}

void CMainFrame::OnEndSession() {
    // The session ends the process without a close; what changed since start-up would be
    // lost, and our own scheduled power-off would always lose it.
    SaveSettings();
}

CivilTime CMainFrame::LocalNow() { return hv::LocalNow(m_platform); }

void CMainFrame::StartTimer(int timerId, unsigned periodMs) { StartTimerTraced(m_platform, timerId, periodMs); }

void CMainFrame::StartAutoSyncTimer() { StartTimer(kTimerAutoSync, AutoSyncPeriodMs(m_settings.autoSyncStep)); }

void CMainFrame::StartCompanion(const CompanionProgram& companion, StartedBy by) {
    StartProgram(m_programDir + companion.file, companion.argument, by);
}

void CMainFrame::StartProgram(const std::string& program, std::string_view arguments, StartedBy by) {
    const ProgramStart start = m_platform.StartProgram(program, arguments);
    if (start.status != ProgramStart::Status::Started && by == StartedBy::Program) {
        // A modal box here would hold up all that follows it (the server address for the
        // sync window after Preferences, say) for a start the user did not choose.
        const std::string why =
            kTextCannotStart + program +
            (start.status == ProgramStart::Status::Missing ? std::string(kLogFileMissing)
                                                           : kLogWindowsError + std::to_string(start.error) + ".");
        LogError(why);
        m_platform.Trace(kTraceCompanionNotStarted + why);
        return;
    }
    switch (start.status) {
    case ProgramStart::Status::Started: break;
    case ProgramStart::Status::Missing: m_platform.ShowMessageBox(kTextCannotStart + program + kTextFileMissing); break;
    case ProgramStart::Status::Failed:
        m_platform.ShowMessageBox(kTextCannotStart + program + kTextWindowsError + std::to_string(start.error) + ".");
        break;
    }
}

void CMainFrame::LogError(std::string_view text) {
    m_logText.Write(ActivityLog::Kind::Error, LocalNow(), std::string(text) + kLogLineEnd);
}

void CMainFrame::ShowDateTimeBar(StartedBy by) {
    StartCompanion(kBarProgram, by);
    NotifyStatus();
}

void CMainFrame::AddTrayIcon() {
    // The icon is the only way to reach the program, and a shell that is still starting
    // (just after log-on) refuses it: try again until it is taken.
    if (!TryAddTrayIcon()) StartTimer(kTimerTrayRetry, kTrayRetryMs);
}

bool CMainFrame::TryAddTrayIcon() {
    if (m_platform.AddTrayIcon(kTrayTipOnAdd)) {
        m_platform.KillTimer(kTimerTrayRetry);
        return true;
    }
    m_platform.Trace(kTraceTrayIconNotAdded);
    return false;
}

void CMainFrame::SendToWindowTitled(const char* title, std::uintptr_t code, std::string_view text) {
    SendToTitled(m_platform, title, code, text);
}

} // namespace hv
