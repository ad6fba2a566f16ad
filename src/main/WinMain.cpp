#include "app/HorvaneApp.h"
#include "framework/win32/DllSearch.h"
#include "framework/win32/Win32Platform.h"
#include "timeservice/win32/Win32TimeServiceLink.h"

#include <commctrl.h>
#include <objbase.h>

namespace {

// The dialogs use the list view, trackbar, month calendar and tooltip classes; their
// window classes exist only once registered.
void RegisterCommonControls() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES | ICC_DATE_CLASSES;
    InitCommonControlsEx(&controls);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    hv::LoadDllsFromSystem32Only();
    RegisterCommonControls();
    // The shell and the common file dialog expect a single-threaded apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    int exitCode = 0;
    {
        hv::Win32Platform platform(instance);
        hv::Win32TimeServiceLink timeService;
        hv::CHorvaneApp app(platform, &timeService);
        exitCode = app.Run();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return exitCode;
}
