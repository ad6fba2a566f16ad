#pragma once
#include "framework/Colour.h"

#include <string_view>

namespace hv {

// A rectangle in pixels; right and bottom lie just outside it.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const Rect&) const = default;
};

// The system's colours a control may draw with, read at the moment they are asked for.
enum class SystemColour { ButtonText, ButtonFace, Light3d, Highlight, Shadow, DarkShadow };

// What an owner-drawn control paints on: as much of a device context as the program's
// controls need. The Win32 backend paints with GDI; the test backend records the calls.
class DrawingSurface {
public:
    virtual Colour System(SystemColour which) = 0;
    virtual void FillRect(const Rect& area, Colour colour) = 0;
    // One line, centred both ways in `area`, on a transparent background; the surface's
    // own text colour is the same afterwards.
    virtual void DrawCentredText(const Rect& area, std::string_view text, Colour colour) = 0;
    // The system's dotted focus rectangle.
    virtual void DrawFocusRect(const Rect& area) = 0;

protected:
    ~DrawingSurface() = default;
};

// One request to paint an owner-drawn control: which control, its state (the bits below,
// as the system numbers them) and where.
struct OwnerDrawItem {
    int controlId = 0;
    unsigned state = 0;
    Rect area;
};

constexpr unsigned kItemSelected = 0x1;
constexpr unsigned kItemDisabled = 0x4;
constexpr unsigned kItemFocus = 0x10;
constexpr unsigned kItemDefault = 0x20;

} // namespace hv
