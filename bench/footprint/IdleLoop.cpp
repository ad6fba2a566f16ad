// The footprint benchmark's peer: a Win32 process that does nothing but own a hidden window
// and wait in its message loop. Whatever it costs under Wine is the floor any tray program
// pays; the difference to Horvane is Horvane's own cost. With the argument "tick" it also
// runs a one-second window timer that does nothing, the floor of a program with a clock.
#include <windows.h>

#include <cstring>

namespace {
LRESULT CALLBACK IdleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
} // namespace

constexpr UINT_PTR kTickTimerId = 1;
constexpr UINT kTickMs = 1000;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = IdleWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "HorvaneIdleLoop";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "idle-loop", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, nullptr,
                                  nullptr, instance, nullptr);
    if (std::strstr(commandLine, "tick") != nullptr) SetTimer(window, kTickTimerId, kTickMs, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
