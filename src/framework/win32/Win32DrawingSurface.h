#pragma once
#include "framework/DrawingSurface.h"
#include "framework/win32/Win32Api.h"

namespace hv {

// A device context the system lent for one owner-draw request, painted with GDI.
class Win32DrawingSurface final : public DrawingSurface {
public:
    explicit Win32DrawingSurface(HDC context) : m_context(context) {}

    Colour System(SystemColour which) override;
    void FillRect(const Rect& area, Colour colour) override;
    void DrawCentredText(const Rect& area, std::string_view text, Colour colour) override;
    void DrawFocusRect(const Rect& area) override;

private:
    HDC m_context;
};

} // namespace hv
