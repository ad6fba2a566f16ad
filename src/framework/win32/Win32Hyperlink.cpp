#include "framework/win32/Win32Hyperlink.h"

#include "framework/win32/Utf16.h"

#include <commctrl.h>

namespace hv {

namespace {

constexpr UINT_PTR kSubclassId = 1;

TextAlignment AlignmentOf(LONG_PTR style) {
    switch (style & SS_TYPEMASK) {
    case SS_CENTER: return TextAlignment::Centre;
    case SS_RIGHT: return TextAlignment::Right;
    default: return TextAlignment::Left;
    }
}

// The window's rectangle in its parent's client coordinates.
RECT PlaceInParent(HWND window, HWND parent) {
    RECT place{};
    GetWindowRect(window, &place);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

} // namespace

Win32Hyperlink::Win32Hyperlink(HWND dialog, LinkControl& link, DialogView& view)
    : m_link(link), m_dialog(dialog), m_window(GetDlgItem(dialog, link.ControlId())) {
    if (m_window == nullptr) return;
    // Only a static with this style reports clicks and sees the mouse at all.
    SetWindowLongPtrW(m_window, GWL_STYLE, GetWindowLongPtrW(m_window, GWL_STYLE) | SS_NOTIFY);
    const std::string shown = link.OnAttach(view.Text(link.ControlId()));
    view.SetText(link.ControlId(), shown);
    UnderlineFont();
    FitToText(Widen(shown));
    SetWindowSubclass(m_window, &SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    AddTooltip();
}

Win32Hyperlink::~Win32Hyperlink() {
    if (m_window == nullptr) return;
    RemoveWindowSubclass(m_window, &SubclassProc, kSubclassId);
    if (m_tooltip != nullptr) DestroyWindow(m_tooltip);
    if (m_font != nullptr) {
        SendMessageW(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(m_originalFont), FALSE);
        DeleteObject(m_font);
    }
}

void Win32Hyperlink::UnderlineFont() {
    m_originalFont = reinterpret_cast<HFONT>(SendMessageW(m_window, WM_GETFONT, 0, 0));
    LOGFONTW description{};
    const HGDIOBJ current = m_originalFont != nullptr ? m_originalFont : GetStockObject(DEFAULT_GUI_FONT);
    if (GetObjectW(current, sizeof description, &description) == 0) return;
    description.lfUnderline = m_link.Underlined() ? TRUE : FALSE;
    m_font = CreateFontIndirectW(&description);
    if (m_font != nullptr) SendMessageW(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), TRUE);
}

void Win32Hyperlink::FitToText(const std::wstring& text) {
    HDC dc = GetDC(m_window);
    if (dc == nullptr) return;
    const HGDIOBJ previous = SelectObject(dc, m_font != nullptr ? m_font : m_originalFont);
    SIZE extent{};
    const BOOL measured = GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, previous);
    ReleaseDC(m_window, dc);
    if (!measured) return;
    const LONG_PTR style = GetWindowLongPtrW(m_window, GWL_STYLE);
    const RECT place = PlaceInParent(m_window, m_dialog);
    const PixelRect fitted = m_link.Fitted({place.left, place.top, place.right, place.bottom}, {extent.cx, extent.cy},
                                           AlignmentOf(style), (style & SS_CENTERIMAGE) != 0);
    SetWindowPos(m_window, nullptr, fitted.left, fitted.top, fitted.right - fitted.left, fitted.bottom - fitted.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Hyperlink::AddTooltip() {
    m_tooltip =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_dialog, nullptr, nullptr, nullptr);
    if (m_tooltip == nullptr) return;
    // The whole static is the tool, and the tooltip watches its mouse messages itself. It asks
    // the static for the text each time, so a target set later shows too.
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_window;
    tool.uId = reinterpret_cast<UINT_PTR>(m_window);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

INT_PTR Win32Hyperlink::Colours(HDC dc) const {
    SetTextColor(dc, m_link.TextColour());
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

void Win32Hyperlink::OnClicked(DialogView& view) {
    m_link.OnClicked(view);
    Repaint();
}

LRESULT CALLBACK Win32Hyperlink::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR self) {
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, &SubclassProc, kSubclassId);
        return DefSubclassProc(window, message, wParam, lParam);
    }
    return reinterpret_cast<Win32Hyperlink*>(self)->OnMessage(message, wParam, lParam);
}

LRESULT Win32Hyperlink::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE: {
        const LRESULT result = DefSubclassProc(m_window, message, wParam, lParam);
        OnMouseMove(lParam);
        return result;
    }
    case WM_CAPTURECHANGED:
        // Taken away (a message box, another window): the mouse is no longer ours to watch.
        if (m_link.Hovering()) {
            m_link.SetHovering(false);
            Repaint();
        }
        break;
    case WM_PAINT: {
        const LRESULT result = DefSubclassProc(m_window, message, wParam, lParam);
        DrawFocus();
        return result;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        m_focused = message == WM_SETFOCUS;
        Repaint();
        break;
    case WM_KEYUP:
        // Reached with Tab, the link opens on Space, as a button does.
        if (wParam == VK_SPACE) {
            SendMessageW(m_dialog, WM_COMMAND, MAKEWPARAM(m_link.ControlId(), STN_CLICKED),
                         reinterpret_cast<LPARAM>(m_window));
        }
        break;
    case WM_SETCURSOR:
        // The system's cursor ids are numbers dressed as strings, the same for both API sets.
        SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
        return TRUE;
    case WM_NOTIFY: {
        auto* request = reinterpret_cast<NMTTDISPINFOW*>(lParam);
        if (request->hdr.hwndFrom != m_tooltip || request->hdr.code != TTN_GETDISPINFOW) break;
        m_tipText = Widen(m_link.Target());
        request->lpszText = m_tipText.data();
        return 0;
    }
    default: break;
    }
    return DefSubclassProc(m_window, message, wParam, lParam);
}

void Win32Hyperlink::OnMouseMove(LPARAM lParam) {
    // Holding the capture, the static sees the move that leaves it, wherever it goes.
    const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    RECT client{};
    GetClientRect(m_window, &client);
    if (m_link.Hovering()) {
        if (PtInRect(&client, at)) return;
        m_link.SetHovering(false);
        ReleaseCapture();
        Repaint();
    } else {
        m_link.SetHovering(true);
        Repaint();
        SetCapture(m_window);
    }
}

void Win32Hyperlink::DrawFocus() {
    // Shown as buttons show it: only once the keyboard has been used in the dialog.
    const auto cues = SendMessageW(m_window, WM_QUERYUISTATE, 0, 0);
    if (!m_focused || (cues & UISF_HIDEFOCUS) != 0) return;
    RECT client{};
    GetClientRect(m_window, &client);
    if (HDC dc = GetDC(m_window)) {
        DrawFocusRect(dc, &client);
        ReleaseDC(m_window, dc);
    }
}

void Win32Hyperlink::Repaint() {
    // The static draws on a hollow brush: the dialog repaints its background there first, so
    // that no trace of the old colour stays.
    RECT area = PlaceInParent(m_window, m_dialog);
    RedrawWindow(m_dialog, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

} // namespace hv
