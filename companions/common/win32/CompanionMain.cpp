#include "common/win32/CompanionMain.h"

#include "framework/win32/Utf16.h"
#include "framework/win32/Win32DialogRunner.h"

#include <commctrl.h>
#include <objbase.h>

namespace hv {
namespace {

// The first instance may still be making its window when the second one looks for it.
constexpr int kWindowLookups = 30;
constexpr DWORD kWindowLookupPauseMs = 100;

void RegisterCommonControls() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);
}

void BringForward(std::string_view windowTitle) {
    const std::wstring title = Widen(windowTitle);
    for (int lookup = 0; lookup < kWindowLookups; ++lookup) {
        if (HWND window = FindWindowW(nullptr, title.c_str())) {
            if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
            SetForegroundWindow(window);
            return;
        }
        Sleep(kWindowLookupPauseMs);
    }
}

} // namespace

int RunCompanion(HINSTANCE instance, Win32Platform& platform, Dialog& window, std::string_view instanceLock,
                 std::string_view windowTitle, int showCommand) {
    const Held lock = platform.AcquireInstanceLock(instanceLock);
    if (!lock) {
        BringForward(windowTitle);
        return 0;
    }
    RegisterCommonControls();
    // The shell and the common dialogs expect a single-threaded apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const int exitCode = RunWin32MainDialog(instance, window, showCommand);
    if (SUCCEEDED(com)) CoUninitialize();
    return exitCode;
}

} // namespace hv
