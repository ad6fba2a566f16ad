#include "framework/fake/RecordingSurface.h"

#include <cstdio>

namespace hv {

std::string RectText(const Rect& area) {
    return std::to_string(area.left) + "," + std::to_string(area.top) + "," + std::to_string(area.right) + "," +
           std::to_string(area.bottom);
}

std::string ColourText(Colour colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", colour & 0xFFu, (colour >> 8) & 0xFFu, (colour >> 16) & 0xFFu);
    return text;
}

Colour RecordingSurface::System(SystemColour which) {
    switch (which) {
    case SystemColour::ButtonText: return kButtonText;
    case SystemColour::ButtonFace: return kButtonFace;
    case SystemColour::Light3d: return kLight3d;
    case SystemColour::Highlight: return kHighlight;
    case SystemColour::Shadow: return kShadow;
    case SystemColour::DarkShadow: return kDarkShadow;
    }
    return kButtonFace;
}

void RecordingSurface::FillRect(const Rect& area, Colour colour) {
    calls.push_back("fill " + RectText(area) + " " + ColourText(colour));
}

void RecordingSurface::DrawCentredText(const Rect& area, std::string_view text, Colour colour) {
    calls.push_back("text " + RectText(area) + " " + ColourText(colour) + " " + std::string(text));
}

void RecordingSurface::DrawFocusRect(const Rect& area) { calls.push_back("focus " + RectText(area)); }

} // namespace hv
