#include "app/CommandIds.h"
#include "app/MainFrame.h"
#include "framework/WindowMessages.h"

namespace hv {

namespace {
constexpr const char* kTrayTipFormat = "%H:%M:%S(%m/%d/%Y)";
constexpr const char* kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValueName = "Horvane";
constexpr const char* kRunValueFile = "Horvane.exe";
// The Run value is read into a buffer of this size; a longer value counts as absent.
constexpr std::size_t kRunValueBufferBytes = 255;

constexpr const char* kTextBarFixed = "DateTime Bar";
constexpr const char* kTextBarHide = "Hide DateTime Bar";
constexpr const char* kTextBarShow = "Show DateTime Bar";
} // namespace

void CMainFrame::OnTrayNotify(unsigned /*iconId*/, unsigned mouseMessage) {
    m_platform.SetTrayTip(FormatCivilTime(kTrayTipFormat, LocalNow()));
    if (mouseMessage == kWmRButtonDown || mouseMessage == kWmLButtonDown) ShowTrayMenu();
}

void CMainFrame::ShowTrayMenu() { m_platform.TrackPopupMenu(BuildTrayMenu()); }

bool CMainFrame::IsRunAtStartupSet(RegistryKey runKey) {
    return m_platform.ReadRegistryString(runKey, kRunValueName, kRunValueBufferBytes).has_value();
}

std::vector<MenuItem> CMainFrame::BuildTrayMenu() {
    std::vector<MenuItem> menu{
        Separator(),
        {kCmdPreferences, "&Preferences...", false},
        Separator(),
        {kCmdSynchronizeTime, "&Synchronize Time", false},
        {kCmdWorldClock, "&World Clock", false},
        {kCmdCalendar, "&Calendar", false},
        Separator(),
        {kCmdBell, "&Bell", m_bellEnabled != 0},
        {kCmdShutDown, "Shut&Down Computer ...", false},
    };
    if (m_alwaysShowBar) {
        menu.push_back({kCmdDateTimeBar, kTextBarFixed, true});
    } else {
        menu.push_back({kCmdDateTimeBar, m_barVisible ? kTextBarHide : kTextBarShow, false});
    }
    if (auto runKey = m_platform.OpenRegistryKey(RegistryRoot::LocalMachine, kRunKeyPath, true)) {
        menu.push_back({kCmdRunAtStartup, "Run Horvane When System Startup", IsRunAtStartupSet(*runKey)});
        m_platform.CloseRegistryKey(*runKey);
    }
    menu.insert(menu.end(), {
                                {kCmdViewLog, "&View Log", false},
                                {kCmdChangeTimeZone, "Change Local TimeZone", false},
                                Separator(),
                                {kCmdHelp, "&Help", false},
                                {kCmdAbout, "About...", false},
                                Separator(),
                                {kCmdExit, "E&xit Horvane", false},
                            });
    return menu;
}

void CMainFrame::OnRunAtStartup() {
    auto runKey = m_platform.OpenRegistryKey(RegistryRoot::LocalMachine, kRunKeyPath, true);
    if (!runKey) return;
    if (IsRunAtStartupSet(*runKey)) {
        m_platform.DeleteRegistryValue(*runKey, kRunValueName);
    } else {
        m_platform.WriteRegistryString(*runKey, kRunValueName, m_programDir + kRunValueFile);
    }
    m_platform.CloseRegistryKey(*runKey);
}

} // namespace hv
