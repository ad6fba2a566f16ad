#include "framework/win32/Win32DialogRunner.h"

#include "framework/win32/Win32DialogView.h"
#include "framework/win32/Win32Hyperlink.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace hv {
namespace {

// What one run of a dialog needs inside the dialog procedure.
struct DialogRun {
    Dialog& dialog;
    HINSTANCE instance;
    std::unique_ptr<Win32DialogView> view;
    std::vector<std::unique_ptr<Win32Hyperlink>> links;

    Win32Hyperlink* LinkWithId(int id) const {
        for (const auto& link : links) {
            if (link->ControlId() == id) return link.get();
        }
        return nullptr;
    }
    Win32Hyperlink* LinkOf(HWND control) const {
        for (const auto& link : links) {
            if (link->Window() == control) return link.get();
        }
        return nullptr;
    }
};

DialogRun* RunOf(HWND window) { return reinterpret_cast<DialogRun*>(GetWindowLongPtrW(window, DWLP_USER)); }

// A click, or Enter or Esc turned into OK or Cancel by the dialog manager (code 0), or an
// accelerator (code 1).
bool IsPlainCommand(WPARAM wParam) { return HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == 1; }

// The dialog's filling control, if it has one, covers the whole client area.
void FillClientArea(HWND window, const Dialog& dialog) {
    const int id = dialog.ClientFillingControl();
    HWND control = id != 0 ? GetDlgItem(window, id) : nullptr;
    if (control == nullptr) return;
    RECT client{};
    GetClientRect(window, &client);
    MoveWindow(control, 0, 0, client.right, client.bottom, TRUE);
}

// A month calendar's smallest size for one whole month, its "today" line not cut short;
// any other control's present size.
SIZE SmallestWholeView(HWND control) {
    RECT month{};
    if (MonthCal_GetMinReqRect(control, &month)) {
        const auto today = static_cast<LONG>(MonthCal_GetMaxTodayWidth(control));
        return {std::max(month.right, today), month.bottom};
    }
    RECT now{};
    GetClientRect(control, &now);
    return {now.right, now.bottom};
}

// Resizes the window where it stands so that its client area is `client`. The frame is
// measured on the window itself, so it is right for its styles, its theme and its DPI.
void SizeClientArea(HWND window, SIZE client) {
    RECT outer{};
    RECT inner{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &inner);
    const LONG frameWidth = (outer.right - outer.left) - inner.right;
    const LONG frameHeight = (outer.bottom - outer.top) - inner.bottom;
    SetWindowPos(window, nullptr, 0, 0, client.cx + frameWidth, client.cy + frameHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void LayOut(HWND window, const Dialog& dialog) {
    const int id = dialog.ClientFillingControl();
    if (id != 0 && dialog.SizesWindowToControl()) {
        if (HWND control = GetDlgItem(window, id)) SizeClientArea(window, SmallestWholeView(control));
    }
    FillClientArea(window, dialog);
}

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
    for (LinkControl* link : run->dialog.Links()) {
        run->links.push_back(std::make_unique<Win32Hyperlink>(window, *link, *run->view));
    }
    run->dialog.OnInit(*run->view);
    LayOut(window, run->dialog);
    if (run->dialog.IsAlarm()) PlaceAsAlarm(window);
    // Opened from the tray or a companion, it must not hide behind the window the user was
    // in: the program holds the foreground right after the tray menu.
    SetForegroundWindow(window);
    return TRUE;  // the framework's default focus
}

INT_PTR OnCommand(DialogRun& run, WPARAM wParam) {
    const int id = LOWORD(wParam);
    if (HIWORD(wParam) == STN_CLICKED) {
        if (Win32Hyperlink* link = run.LinkWithId(id)) {
            link->OnClicked(*run.view);
            return TRUE;
        }
    }
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
    case WM_SIZE: FillClientArea(window, run->dialog); return FALSE;
    case WM_CTLCOLORSTATIC:
        if (Win32Hyperlink* link = run->LinkOf(reinterpret_cast<HWND>(lParam))) {
            return link->Colours(reinterpret_cast<HDC>(wParam));
        }
        return FALSE;
    case WM_SYSCOMMAND: return IsKeyboardClose(wParam, lParam) && run->dialog.IgnoresKeyboardClose();
    case WM_DESTROY:
        run->dialog.OnDestroy(*run->view);
        run->view->KillAllTimers();
        run->links.clear();
        return FALSE;
    default: return FALSE;
    }
}

} // namespace

int RunWin32ModalDialog(HINSTANCE instance, HWND owner, Dialog& dialog) {
    DialogRun run{dialog, instance, nullptr, {}};
    const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(dialog.TemplateId()), owner, &DialogProc,
                                           reinterpret_cast<LPARAM>(&run));
    return static_cast<int>(result);
}

} // namespace hv
