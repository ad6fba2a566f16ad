#include "framework/win32/Win32Platform.h"

#include "framework/WindowMessages.h"
#include "framework/win32/Utf16.h"
#include "framework/win32/Win32NetworkWatch.h"

namespace hv {
namespace {

constexpr const wchar_t* kMainWindowClass = L"HorvaneMainFrame";
constexpr const wchar_t* kEmptyTitle = L"";
constexpr const wchar_t* kTaskbarCreatedMessage = L"TaskbarCreated";
// Where the network watch reports, from threads of the system's, by posting.
constexpr UINT kWmNetworkChange = WM_APP + 1;
constexpr UINT kFrameChangeFlags = SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;

} // namespace

bool Win32Platform::RegisterMainWindowClass() {
    // No class style, cursor, background or icon: the window is never seen.
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &Win32Platform::MainWindowProc;
    windowClass.hInstance = m_instance;
    windowClass.lpszClassName = kMainWindowClass;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool Win32Platform::CreateMainWindow(WindowEvents& events) {
    if (m_mainWindow != nullptr || !RegisterMainWindowClass()) return false;
    m_taskbarCreatedMessage = RegisterWindowMessageW(kTaskbarCreatedMessage);
    m_events = &events;
    // The window procedure records the handle as soon as it exists, so that the program may
    // already use it (tray icon) while the window is being created.
    HWND window = CreateWindowExW(0, kMainWindowClass, kEmptyTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  0, 0, nullptr, nullptr, m_instance, this);
    if (window == nullptr) {
        m_events = nullptr;
        return false;
    }
    ShowWindow(window, SW_HIDE);
    UpdateWindow(window);
    m_networkWatch = std::make_unique<Win32NetworkWatch>(window, kWmNetworkChange);
    return true;
}

LRESULT CALLBACK Win32Platform::MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* self = static_cast<Win32Platform*>(creation->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->m_mainWindow = window;
    }
    auto* self = reinterpret_cast<Win32Platform*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || window != self->m_mainWindow) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        self->m_mainWindow = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    // Once the program's event object is gone (platform teardown) the window only closes.
    if (self->m_events == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return self->HandleMainWindowMessage(message, wParam, lParam);
}

void Win32Platform::HideFromTaskbar() {
    const LONG_PTR style = GetWindowLongPtrW(m_mainWindow, GWL_EXSTYLE);
    SetWindowLongPtrW(m_mainWindow, GWL_EXSTYLE, (style & ~LONG_PTR{WS_EX_APPWINDOW}) | WS_EX_TOOLWINDOW);
    SetWindowPos(m_mainWindow, nullptr, 0, 0, 0, 0, kFrameChangeFlags);
}

LRESULT Win32Platform::HandleMainWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = m_mainWindow;
    WindowEvents& events = *m_events;
    switch (message) {
    case WM_CREATE:
        HideFromTaskbar();
        events.OnWindowCreated();
        return 0;
    case WM_TIMER: events.OnTimer(static_cast<int>(wParam)); return 0;
    case WM_COMMAND: events.OnCommand(LOWORD(wParam)); return 0;
    case WM_COPYDATA: {
        // The program acts on the code alone; the payload is never read.
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data != nullptr && events.OnCopyData(data->dwData)) return TRUE;
        break;
    }
    case WM_CLOSE: events.OnClose(); return 0;
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION:
        if (wParam != FALSE) events.OnEndSession();
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_POWERBROADCAST:
        // Sent when the system resumes on its own; the user's return comes later, if at all.
        if (wParam == PBT_APMRESUMEAUTOMATIC) events.OnResumedFromSleep();
        return TRUE;
    case kWmNetworkChange: events.OnNetworkConnectivity(wParam != 0); return 0;
    default:
        if (message == kWmTrayNotify) {
            events.OnTrayNotify(static_cast<unsigned>(wParam), static_cast<unsigned>(lParam));
            return 0;
        }
        if (message == kWmStartup) {
            events.OnStartup();
            return 0;
        }
        if (message == m_taskbarCreatedMessage && message != 0) {
            events.OnTaskbarCreated();
            return 0;
        }
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

WindowId Win32Platform::MainWindow() { return reinterpret_cast<WindowId>(m_mainWindow); }

void Win32Platform::SetMainWindowTitle(std::string_view title) { SetWindowTextW(m_mainWindow, Widen(title).c_str()); }

void Win32Platform::DestroyMainWindow() {
    m_networkWatch.reset();
    if (m_mainWindow != nullptr) DestroyWindow(m_mainWindow);
}

bool Win32Platform::SetTimer(int timerId, unsigned periodMs) {
    if (m_mainWindow == nullptr) return false;
    return ::SetTimer(m_mainWindow, static_cast<UINT_PTR>(timerId), periodMs, nullptr) != 0;
}

void Win32Platform::KillTimer(int timerId) {
    if (m_mainWindow == nullptr) return;
    ::KillTimer(m_mainWindow, static_cast<UINT_PTR>(timerId));
}

int Win32Platform::RunMessageLoop() {
    MSG message{};
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(message.wParam);
        if (got == -1) return -1;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace hv
