#include "framework/win32/Win32DrawingSurface.h"

#include "framework/win32/Utf16.h"

namespace hv {
namespace {

RECT ToRect(const Rect& area) { return RECT{area.left, area.top, area.right, area.bottom}; }

int SystemIndex(SystemColour which) {
    switch (which) {
    case SystemColour::ButtonText: return COLOR_BTNTEXT;
    case SystemColour::ButtonFace: return COLOR_BTNFACE;
    case SystemColour::Light3d: return COLOR_3DLIGHT;
    case SystemColour::Highlight: return COLOR_BTNHIGHLIGHT;
    case SystemColour::Shadow: return COLOR_BTNSHADOW;
    case SystemColour::DarkShadow: return COLOR_3DDKSHADOW;
    }
    return COLOR_BTNFACE;
}

} // namespace

Colour Win32DrawingSurface::System(SystemColour which) { return static_cast<Colour>(GetSysColor(SystemIndex(which))); }

void Win32DrawingSurface::FillRect(const Rect& area, Colour colour) {
    const RECT rect = ToRect(area);
    HBRUSH brush = CreateSolidBrush(colour);
    if (brush == nullptr) return;
    ::FillRect(m_context, &rect, brush);
    DeleteObject(brush);
}

void Win32DrawingSurface::DrawCentredText(const Rect& area, std::string_view text, Colour colour) {
    RECT rect = ToRect(area);
    const std::wstring wide = Widen(text);
    const COLORREF previousColour = SetTextColor(m_context, colour);
    const int previousMode = SetBkMode(m_context, TRANSPARENT);
    DrawTextW(m_context, wide.c_str(), static_cast<int>(wide.size()), &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SetBkMode(m_context, previousMode);
    SetTextColor(m_context, previousColour);
}

void Win32DrawingSurface::DrawFocusRect(const Rect& area) {
    const RECT rect = ToRect(area);
    ::DrawFocusRect(m_context, &rect);
}

} // namespace hv
