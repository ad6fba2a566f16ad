#include "framework/win32/Win32DialogRunner.h"

#include "framework/win32/Utf16.h"
#include "framework/win32/Win32DialogView.h"
#include "framework/win32/Win32DrawingSurface.h"
#include "framework/win32/Win32Hyperlink.h"
#include "framework/win32/Win32PopupMenu.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

namespace hv {
namespace {

// The icon every program of the suite carries under this id.
constexpr int kProgramIconId = 128;
constexpr UINT kMenuTrackFlags = TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD;
constexpr LPARAM kContextMenuFromKeyboard = -1;
// Posted to a main window to bring it back onto a screen once the screens have changed.
constexpr UINT kWmKeepOnScreen = WM_APP + 1;

// Solid brushes for the colours a dialog asks for, made once each and freed with the run.
class BrushCache {
public:
    BrushCache() = default;
    ~BrushCache() {
        for (const auto& [colour, brush] : m_brushes) DeleteObject(brush);
    }
    BrushCache(const BrushCache&) = delete;
    BrushCache& operator=(const BrushCache&) = delete;

    HBRUSH For(COLORREF colour) {
        auto [at, added] = m_brushes.try_emplace(colour, nullptr);
        if (added) at->second = CreateSolidBrush(colour);
        return at->second;
    }

private:
    std::map<COLORREF, HBRUSH> m_brushes;
};

// What one run of a dialog needs inside the dialog procedure.
struct DialogRun {
    Dialog& dialog;
    HINSTANCE instance;
    bool mainWindow;
    std::unique_ptr<Win32DialogView> view;
    BrushCache brushes;
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

BOOL CALLBACK ApplyListLook(HWND control, LPARAM lParam) {
    const auto* run = reinterpret_cast<const DialogRun*>(lParam);
    wchar_t className[32] = {};
    GetClassNameW(control, className, static_cast<int>(std::size(className)));
    if (std::wstring_view(className) != WC_LISTVIEWW) return TRUE;
    const std::uint32_t look = run->dialog.ListLook(GetDlgCtrlID(control));
    if (look != 0) ListView_SetExtendedListViewStyle(control, look);
    return TRUE;
}

INT_PTR Answer(HWND window, LONG_PTR result) {
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

// --- a control that fills the window ---------------------------------------------------

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

// --- a main window's place -------------------------------------------------------------

RECT WorkAreaNear(const RECT& rect) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

// Moves the window by the least needed to lie wholly inside the work area of the screen it
// is (mostly) on: after a screen was unplugged, its resolution or scale changed, or a
// remembered place belonged to a screen no longer there.
void KeepOnScreen(HWND window) {
    RECT rect{};
    if (!GetWindowRect(window, &rect)) return;
    const RECT area = WorkAreaNear(rect);
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    LONG left = rect.left;
    LONG top = rect.top;
    if (left + width > area.right) left = area.right - width;
    if (top + height > area.bottom) top = area.bottom - height;
    if (left < area.left) left = area.left;
    if (top < area.top) top = area.top;
    if (left == rect.left && top == rect.top) return;
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MoveToOpeningPlace(HWND window, const OpeningPlace& place) {
    RECT rect{};
    GetWindowRect(window, &rect);
    POINT topLeft{rect.left, rect.top};
    if (place.topLeft) {
        topLeft = {place.topLeft->x, place.topLeft->y};
    } else if (place.bottomRightCorner) {
        const POINT origin{0, 0};
        MONITORINFO primary{};
        primary.cbSize = sizeof primary;
        GetMonitorInfoW(MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY), &primary);
        topLeft = {primary.rcWork.right - (rect.right - rect.left), primary.rcWork.bottom - (rect.bottom - rect.top)};
    }
    SetWindowPos(window, nullptr, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    KeepOnScreen(window);
}

void SetUpMainWindow(HWND window, DialogRun& run) {
    // The program's icon in the caption, the taskbar and Alt+Tab.
    const auto icon = [&](int metricX, int metricY) {
        return reinterpret_cast<LPARAM>(LoadImageW(run.instance, MAKEINTRESOURCEW(kProgramIconId), IMAGE_ICON,
                                                   GetSystemMetrics(metricX), GetSystemMetrics(metricY), LR_SHARED));
    };
    SendMessageW(window, WM_SETICON, ICON_BIG, icon(SM_CXICON, SM_CYICON));
    SendMessageW(window, WM_SETICON, ICON_SMALL, icon(SM_CXSMICON, SM_CYSMICON));
    if (run.dialog.StaysOnTop()) {
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    MoveToOpeningPlace(window, run.dialog.PlaceToOpen());
}

void ReportMove(HWND window, DialogRun& run) {
    RECT rect{};
    if (!GetWindowRect(window, &rect)) return;
    run.dialog.OnMoved(*run.view, ScreenPoint{rect.left, rect.top});
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

// --- messages ----------------------------------------------------------------------------

INT_PTR OnInitDialog(HWND window, LPARAM lParam) {
    auto* run = reinterpret_cast<DialogRun*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(run));
    run->view = std::make_unique<Win32DialogView>(window, run->instance, run->dialog, run->mainWindow);
    if (run->mainWindow) SetUpMainWindow(window, *run);
    EnumChildWindows(window, ApplyListLook, reinterpret_cast<LPARAM>(run));
    for (LinkControl* link : run->dialog.Links()) {
        run->links.push_back(std::make_unique<Win32Hyperlink>(window, *link, *run->view));
    }
    run->dialog.OnInit(*run->view);
    LayOut(window, run->dialog);
    if (run->dialog.IsAlarm()) PlaceAsAlarm(window);
    // Opened from the tray or a companion, it must not hide behind the window the user was
    // in: the program holds the foreground right after the tray menu. A main window comes
    // forward, or not, as it is shown.
    if (run->mainWindow) return FALSE; // focused once shown
    SetForegroundWindow(window);
    return TRUE; // the framework's default focus
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
    return Answer(window, 0);
}

// The record comes from another process: nothing in it is trusted. The system has copied
// exactly cbData bytes for us; a record claiming bytes without a pointer, or more than a
// companion's text could ever need, is refused unread.
INT_PTR OnCopyData(HWND window, DialogRun& run, LPARAM lParam) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data == nullptr || data->cbData > kMaxCopyDataText || (data->cbData != 0 && data->lpData == nullptr)) {
        return Answer(window, FALSE);
    }
    const std::string_view text(static_cast<const char*>(data->lpData), data->cbData);
    const bool understood =
        run.dialog.OnCopyData(*run.view, data->dwData, data->cbData == 0 ? std::string_view{} : text);
    // Another program's message may change anything the window shows, its colours included.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return Answer(window, understood ? TRUE : FALSE);
}

INT_PTR OnControlColour(DialogRun& run, WPARAM wParam, int controlId) {
    const std::optional<ControlColours> colours = run.dialog.ColoursOf(controlId);
    if (!colours) return FALSE;
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, colours->text);
    SetBkColor(dc, colours->background);
    return reinterpret_cast<INT_PTR>(run.brushes.For(colours->background));
}

INT_PTR OnStaticColour(DialogRun& run, WPARAM wParam, LPARAM lParam) {
    const auto control = reinterpret_cast<HWND>(lParam);
    if (Win32Hyperlink* link = run.LinkOf(control)) return link->Colours(reinterpret_cast<HDC>(wParam));
    return OnControlColour(run, wParam, GetDlgCtrlID(control));
}

INT_PTR OnContextMenu(HWND window, DialogRun& run, LPARAM lParam) {
    const std::vector<MenuItem> items = run.dialog.ContextMenu();
    if (items.empty()) return FALSE;
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (lParam == kContextMenuFromKeyboard) {
        RECT rect{};
        GetWindowRect(window, &rect);
        at = {rect.left, rect.bottom};
    }
    const int chosen = ShowPopupMenu(window, items, at, kMenuTrackFlags);
    if (chosen != 0) run.dialog.OnCommand(*run.view, chosen, 0);
    return TRUE;
}

INT_PTR OnDrawItem(HWND window, DialogRun& run, LPARAM lParam) {
    const auto* request = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    const RECT& rect = request->rcItem;
    const OwnerDrawItem item{static_cast<int>(request->CtlID), request->itemState,
                             Rect{rect.left, rect.top, rect.right, rect.bottom}};
    Win32DrawingSurface surface(request->hDC);
    const bool drawn = run.dialog.OnDrawItem(*run.view, item, surface);
    SetWindowLongPtrW(window, DWLP_MSGRESULT, drawn ? TRUE : FALSE);
    return drawn ? TRUE : FALSE;
}

INT_PTR OnHitTest(HWND window, DialogRun& run, WPARAM wParam, LPARAM lParam) {
    if (!run.dialog.MovesByBody()) return FALSE;
    const LRESULT hit = DefWindowProcW(window, WM_NCHITTEST, wParam, lParam);
    // The body acts as a caption: a drag moves the window, a right click still reaches us.
    return hit == HTCLIENT ? Answer(window, HTCAPTION) : FALSE;
}

INT_PTR OnDestroy(DialogRun& run) {
    run.dialog.OnDestroy(*run.view);
    run.view->KillAllTimers();
    run.links.clear();
    if (run.mainWindow) PostQuitMessage(run.view->ClosedWith());
    return FALSE;
}

INT_PTR MainWindowMessage(HWND window, DialogRun& run, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COPYDATA: return OnCopyData(window, run, lParam);
    case WM_NCHITTEST: return OnHitTest(window, run, wParam, lParam);
    case WM_CONTEXTMENU: return OnContextMenu(window, run, lParam);
    // A body that acts as a caption would get the caption's handling of a right click (the
    // window menu, or nothing without one): its own menu opens on the release instead.
    case WM_NCRBUTTONDOWN: return run.dialog.MovesByBody() && wParam == HTCAPTION ? TRUE : FALSE;
    case WM_NCRBUTTONUP:
        return run.dialog.MovesByBody() && wParam == HTCAPTION ? OnContextMenu(window, run, lParam) : FALSE;
    case WM_EXITSIZEMOVE: ReportMove(window, run); return TRUE;
    // The dialog manager rescales the window for a new DPI itself; the check waits until
    // that, and the new work areas, are done.
    case WM_DPICHANGED:
    case WM_DISPLAYCHANGE: PostMessageW(window, kWmKeepOnScreen, 0, 0); return FALSE;
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETWORKAREA) PostMessageW(window, kWmKeepOnScreen, 0, 0);
        return FALSE;
    case kWmKeepOnScreen: KeepOnScreen(window); return TRUE;
    case kWmDestroyMainDialog: DestroyWindow(window); return TRUE;
    default: return FALSE;
    }
}

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog(window, lParam);
    DialogRun* run = RunOf(window);
    if (run == nullptr || !run->view) return FALSE;
    switch (message) {
    case WM_COMMAND: return OnCommand(*run, wParam);
    case WM_NOTIFY: return OnNotify(window, *run, lParam);
    case WM_DRAWITEM: return OnDrawItem(window, *run, lParam);
    case WM_CLOSE: return run->dialog.OnClose(*run->view) ? TRUE : FALSE;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (lParam != 0) run->dialog.OnScroll(*run->view, GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
        return TRUE;
    case WM_TIMER: run->dialog.OnTimer(*run->view, static_cast<int>(wParam)); return TRUE;
    case WM_SIZE: FillClientArea(window, run->dialog); return FALSE;
    case WM_CTLCOLORSTATIC: return OnStaticColour(*run, wParam, lParam);
    case WM_CTLCOLORDLG: return OnControlColour(*run, wParam, kDialogItself);
    case WM_SYSCOMMAND: return IsKeyboardClose(wParam, lParam) && run->dialog.IgnoresKeyboardClose();
    case WM_DESTROY: return OnDestroy(*run);
    default: return run->mainWindow ? MainWindowMessage(window, *run, message, wParam, lParam) : FALSE;
    }
}

} // namespace

int RunWin32ModalDialog(HINSTANCE instance, HWND owner, Dialog& dialog) {
    DialogRun run{dialog, instance, false, nullptr, {}, {}};
    const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(dialog.TemplateId()), owner, &DialogProc,
                                           reinterpret_cast<LPARAM>(&run));
    return static_cast<int>(result);
}

int RunWin32MainDialog(HINSTANCE instance, Dialog& dialog, int showCommand) {
    DialogRun run{dialog, instance, true, nullptr, {}, {}};
    HWND window = CreateDialogParamW(instance, MAKEINTRESOURCEW(dialog.TemplateId()), nullptr, &DialogProc,
                                     reinterpret_cast<LPARAM>(&run));
    if (window == nullptr) return -1;
    ShowWindow(window, showCommand);
    // The focus goes in once the window is on screen: given to a hidden window, it would
    // activate the window unseen, and Wine then draws its caption as inactive.
    const bool activated = showCommand == SW_SHOWNORMAL || showCommand == SW_SHOW || showCommand == SW_SHOWDEFAULT ||
                           showCommand == SW_SHOWMAXIMIZED || showCommand == SW_RESTORE;
    if (HWND first = GetNextDlgTabItem(window, nullptr, FALSE); activated && first != nullptr) {
        SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    }
    MSG message{};
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(message.wParam);
        if (got == -1) return -1;
        // Tab, arrows, Enter, Esc and mnemonics work as in any dialog.
        if (IsWindow(window) && IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace hv
