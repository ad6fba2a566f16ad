#include "Quorel/SyncWindow.h"
#include "common/win32/CompanionMain.h"
#include "common/win32/Win32PanelLink.h"
#include "protocol/CompanionProtocol.h"

namespace {
constexpr const char* kInstanceLock = "Horvane.Quorel";
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    hv::Win32Platform platform(instance);
    hv::Win32PanelLink panel;
    hv::SyncWindow window(panel);
    return hv::RunCompanion(instance, platform, window, kInstanceLock, hv::kSyncWindowTitle, showCommand);
}
