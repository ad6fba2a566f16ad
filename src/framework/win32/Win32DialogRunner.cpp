#include "framework/win32/Win32DialogRunner.h"

#include "framework/win32/Win32DialogView.h"

#include <commctrl.h>

#include <memory>

namespace hv {
namespace {

// What one run of a dialog needs inside the dialog procedure.
struct DialogRun {
    Dialog& dialog;
    HINSTANCE instance;
    std::unique_ptr<Win32DialogView> view;
};

DialogRun* RunOf(HWND window) { return reinterpret_cast<DialogRun*>(GetWindowLongPtrW(window, DWLP_USER)); }

// A click, or Enter or Esc turned into OK or Cancel by the dialog manager (code 0), or an
// accelerator (code 1).
bool IsPlainCommand(WPARAM wParam) { return HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == 1; }

// The start of a window of that size centred in `area`, kept inside it when it is larger.
int CentredStart(LONG areaStart, LONG areaEnd, LONG size) {
    const LONG start = areaStart + (areaEnd - areaStart - size) / 2;
    return static_cast<int>(start < areaStart ? areaStart : start);
}

// Where the user is looking: the middle of the work area of the monitor that holds the
// cursor, above every window that is not topmost itself.
void PlaceAsAlarm(HWND window) {
    POINT cursor{};
    GetCursorPos(&cursor);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT frame{};
    GetWindowRect(window, &frame);
    const RECT& work = monitor.rcWork;
    SetWindowPos(window, HWND_TOPMOST, CentredStart(work.left, work.right, frame.right - frame.left),
                 CentredStart(work.top, work.bottom, frame.bottom - frame.top), 0, 0, SWP_NOSIZE);
}

// The keyboard's close (Alt+F4) carries no cursor position; the window menu's does.
bool IsKeyboardClose(WPARAM wParam, LPARAM lParam) { return (wParam & 0xFFF0) == SC_CLOSE && lParam == 0; }

INT_PTR OnInitDialog(HWND window, LPARAM lParam) {
    auto* run = reinterpret_cast<DialogRun*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(run));
    run->view = std::make_unique<Win32DialogView>(window, run->instance);
    run->dialog.OnInit(*run->view);
    if (run->dialog.IsAlarm()) PlaceAsAlarm(window);
    // Opened from the tray or a companion, it must not hide behind the window the user was
    // in: the program holds the foreground right after the tray menu.
    SetForegroundWindow(window);
    return TRUE;  // the framework's default focus
}

INT_PTR OnCommand(DialogRun& run, WPARAM wParam) {
    const int id = LOWORD(wParam);
    const bool handled = run.dialog.OnCommand(*run.view, id, HIWORD(wParam));
    if (!handled && (id == IDOK || id == IDCANCEL) && IsPlainCommand(wParam)) run.view->Close(id);
    return TRUE;
}

INT_PTR OnNotify(HWND window, DialogRun& run, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    run.dialog.OnNotify(*run.view, static_cast<int>(header->idFrom), static_cast<int>(header->code));
    // 0 asks every control for its default behaviour (custom draw included).
    SetWindowLongPtrW(window, DWLP_MSGRESULT, 0);
    return TRUE;
}

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog(window, lParam);
    DialogRun* run = RunOf(window);
    if (run == nullptr || !run->view) return FALSE;
    switch (message) {
    case WM_COMMAND: return OnCommand(*run, wParam);
    case WM_NOTIFY: return OnNotify(window, *run, lParam);
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (lParam != 0) run->dialog.OnScroll(*run->view, GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
        return TRUE;
    case WM_TIMER: run->dialog.OnTimer(*run->view, static_cast<int>(wParam)); return TRUE;
    case WM_SYSCOMMAND: return IsKeyboardClose(wParam, lParam) && run->dialog.IgnoresKeyboardClose();
    case WM_DESTROY:
        run->dialog.OnDestroy(*run->view);
        run->view->KillAllTimers();
        return FALSE;
    default: return FALSE;
    }
}

} // namespace

int RunWin32ModalDialog(HINSTANCE instance, HWND owner, Dialog& dialog) {
    DialogRun run{dialog, instance, nullptr};
    const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(dialog.TemplateId()), owner, &DialogProc,
                                           reinterpret_cast<LPARAM>(&run));
    return static_cast<int>(result);
}

} // namespace hv
