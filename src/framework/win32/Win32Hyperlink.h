#pragma once
#include "framework/DialogView.h"
#include "framework/LinkControl.h"
#include "framework/win32/Win32Api.h"

#include <string>

namespace hv {

// The window side of a hyperlink on a dialog's static control: an underlined copy of the
// static's font, its place fitted to its text, the hand cursor, a tooltip showing the target
// and the mouse capture while the mouse is over it; reached with Tab (given WS_TABSTOP), it
// shows a focus rectangle and opens on Space. The dialog's runner hands it the static's colour
// requests and clicks; everything else reaches it by subclassing the static.
class Win32Hyperlink {
public:
    // Binds `link` to its static in `dialog`, whose view gives and sets the static's text.
    Win32Hyperlink(HWND dialog, LinkControl& link, DialogView& view);
    ~Win32Hyperlink();
    Win32Hyperlink(const Win32Hyperlink&) = delete;
    Win32Hyperlink& operator=(const Win32Hyperlink&) = delete;

    HWND Window() const { return m_window; }
    int ControlId() const { return m_link.ControlId(); }
    // WM_CTLCOLORSTATIC for the static: its text colour, over the dialog's own background.
    INT_PTR Colours(HDC dc) const;
    // STN_CLICKED from the static.
    void OnClicked(DialogView& view);

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void UnderlineFont();
    void FitToText(const std::wstring& text);
    void AddTooltip();
    void OnMouseMove(LPARAM lParam);
    void DrawFocus();
    void Repaint();

    LinkControl& m_link;
    HWND m_dialog;
    HWND m_window;
    HFONT m_originalFont = nullptr;
    HFONT m_font = nullptr;
    HWND m_tooltip = nullptr;
    bool m_focused = false;
    std::wstring m_tipText; // what the tooltip shows, kept alive while it asks
};

} // namespace hv
