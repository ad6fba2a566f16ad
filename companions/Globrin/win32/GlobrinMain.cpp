#include "Globrin/WorldClockWindow.h"
#include "Globrin/win32/Win32TimeZones.h"
#include "common/win32/CompanionMain.h"
#include "framework/win32/DllSearch.h"

namespace {
constexpr const char* kInstanceLock = "Horvane.Globrin";
constexpr const char* kWindowTitle = "World Clock";
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    hv::LoadDllsFromSystem32Only();
    hv::Win32Platform platform(instance);
    hv::Win32TimeZones zones;
    hv::WorldClockWindow window(platform, zones);
    return hv::RunCompanion(instance, platform, window, kInstanceLock, kWindowTitle, showCommand);
}
