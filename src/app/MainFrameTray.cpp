#include "app/CommandIds.h"
#include "app/MainFrame.h"
#include "framework/CommandLine.h"
#include "framework/WindowMessages.h"

#include <algorithm>
#include <iterator>
#include <variant>

namespace hv {

namespace {
constexpr const char* kTrayTipFormat = "%H:%M:%S(%m/%d/%Y)";
constexpr const char* kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr RegistryPlace kRunValue{RegistryRoot::LocalMachine, kRunKeyPath, "Horvane"};
// Where the machine's key refuses a standard user, the user's own key starts us all the same.
constexpr RegistryPlace kUserRunValue{RegistryRoot::CurrentUser, kRunKeyPath, "Horvane"};
constexpr RegistryPlace kRunValues[] = {kRunValue, kUserRunValue};
constexpr const char* kRunValueFile = "Horvane.exe";
// The Run value is a command line. Any value under our name counts as ours, the unquoted
// path of older versions too. It is read into a buffer of this size, terminating zero
// included; a longer value counts as absent.
constexpr std::size_t kRunValueBufferBytes = 255;
constexpr const char* kTraceRunValueNotChanged = "Horvane: the Run value could not be changed";

constexpr const char* kTextBarFixed = "DateTime Bar";
constexpr const char* kTextBarHide = "Hide DateTime Bar";
constexpr const char* kTextBarShow = "Show DateTime Bar";
} // namespace

void CMainFrame::OnTrayNotify(unsigned /*iconId*/, unsigned mouseMessage) {
    m_platform.SetTrayTip(FormatCivilTime(kTrayTipFormat, LocalNow()));
    if (mouseMessage == kWmRButtonDown || mouseMessage == kWmLButtonDown) ShowTrayMenu();
}

void CMainFrame::ShowTrayMenu() { m_platform.TrackPopupMenu(BuildTrayMenu()); }

bool CMainFrame::IsRunValueSet(const RegistryPlace& place) {
    const std::optional<RegistryValue> value = m_platform.ReadRegistryValue(place);
    if (!value) return false;
    const auto* text = std::get_if<std::string>(&*value);
    return text == nullptr || text->size() < kRunValueBufferBytes;
}

bool CMainFrame::IsRunAtStartupSet() { return IsRunValueSet(kRunValue) || IsRunValueSet(kUserRunValue); }

bool CMainFrame::CanSetRunAtStartup() {
    return std::any_of(std::begin(kRunValues), std::end(kRunValues), [this](const RegistryPlace& place) {
        return m_platform.CanWriteRegistryKey(place.root, place.key);
    });
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
        {kCmdBell, "&Bell", m_settings.bellEnabled != 0},
    };
    if (m_policy.shutdownOffered) menu.push_back({kCmdShutDown, "Shut&Down Computer ...", false});
    if (m_settings.alwaysShowBar) {
        menu.push_back({kCmdDateTimeBar, kTextBarFixed, true});
    } else {
        menu.push_back({kCmdDateTimeBar, m_settings.barVisible ? kTextBarHide : kTextBarShow, false});
    }
    if (CanSetRunAtStartup()) {
        menu.push_back({kCmdRunAtStartup, "Run Horvane When System Startup", IsRunAtStartupSet()});
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
    if (!CanSetRunAtStartup()) return;
    bool changed = false;
    if (IsRunAtStartupSet()) {
        // Ours in either place starts us: removing takes it out of both.
        for (const RegistryPlace& place : kRunValues) {
            if (IsRunValueSet(place)) changed = static_cast<bool>(m_platform.DeleteRegistryValue(place)) || changed;
        }
    } else {
        const std::string command = QuotedCommandLine(m_programDir + kRunValueFile, {});
        changed = std::any_of(std::begin(kRunValues), std::end(kRunValues), [&](const RegistryPlace& place) {
            return static_cast<bool>(m_platform.WriteRegistryValue(place, command));
        });
    }
    if (!changed) m_platform.Trace(kTraceRunValueNotChanged);
}

} // namespace hv
