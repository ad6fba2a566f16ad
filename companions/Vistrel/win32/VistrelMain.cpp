#include "Vistrel/DateTimeBar.h"
#include "common/win32/CompanionMain.h"
#include "common/win32/Win32PanelLink.h"
#include "protocol/CompanionProtocol.h"

namespace {
constexpr const char* kInstanceLock = "Horvane.Vistrel";
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    hv::Win32Platform platform(instance);
    hv::Win32PanelLink panel;
    hv::DateTimeBar bar(platform, panel);
    // Shown without taking the focus from the window the user is working in.
    const int show = showCommand == SW_SHOWNORMAL ? SW_SHOWNOACTIVATE : showCommand;
    return hv::RunCompanion(instance, platform, bar, kInstanceLock, hv::kBarWindowTitle, show);
}
