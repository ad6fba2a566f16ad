#pragma once
#include "framework/DrawingSurface.h"

#include <string>
#include <vector>

namespace hv {

// A drawing surface that paints nothing and writes down every call, so that a test can
// compare what a control drew with what it should draw:
//   "fill L,T,R,B #RRGGBB", "text L,T,R,B #RRGGBB caption", "focus L,T,R,B".
// Its system colours are fixed and told apart by their values (see the constants).
class RecordingSurface final : public DrawingSurface {
public:
    static constexpr Colour kButtonText = 0x010101;
    static constexpr Colour kButtonFace = 0xC0C0C0;
    static constexpr Colour kLight3d = 0xDFDFDF;
    static constexpr Colour kHighlight = 0xFFFFFE;
    static constexpr Colour kShadow = 0x808081;
    static constexpr Colour kDarkShadow = 0x404040;

    Colour System(SystemColour which) override;
    void FillRect(const Rect& area, Colour colour) override;
    void DrawCentredText(const Rect& area, std::string_view text, Colour colour) override;
    void DrawFocusRect(const Rect& area) override;

    std::vector<std::string> calls;
};

// The recorded forms of a rectangle and a colour, for a test's expected calls.
std::string RectText(const Rect& area);
std::string ColourText(Colour colour);

} // namespace hv
