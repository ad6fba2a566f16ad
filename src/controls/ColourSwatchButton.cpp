#include "controls/ColourSwatchButton.h"

namespace hv {
namespace {

constexpr int kFocusInset = 4;
constexpr Colour kBlack = RgbColour(0, 0, 0);
constexpr Colour kEtchedWhite = RgbColour(255, 255, 255);
constexpr Colour kEtchedGrey = RgbColour(128, 128, 128);

// The frame's parts, drawn from the outside in, in this order, each as a ring of 1-pixel
// lines on the rectangle left over by the parts before it.
constexpr unsigned kFrameOutline = 4;
constexpr unsigned kFrameRaised = 2;
constexpr unsigned kFrameSunken = 1;

Rect Shrunk(const Rect& r, int by) { return Rect{r.left + by, r.top + by, r.right - by, r.bottom - by}; }
Rect Moved(const Rect& r, int dx, int dy) { return Rect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

// Top and left sides in one colour, then bottom and right in another; then one pixel in.
void Ring(DrawingSurface& surface, Rect& r, Colour topLeft, Colour bottomRight) {
    surface.FillRect(Rect{r.left, r.top, r.right, r.top + 1}, topLeft);
    surface.FillRect(Rect{r.left, r.top, r.left + 1, r.bottom}, topLeft);
    surface.FillRect(Rect{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
    surface.FillRect(Rect{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
    r = Shrunk(r, 1);
}

void DrawFrame(DrawingSurface& surface, Rect r, unsigned parts) {
    if ((parts & kFrameOutline) != 0) Ring(surface, r, kBlack, kBlack);
    if ((parts & kFrameRaised) != 0) {
        Ring(surface, r, surface.System(SystemColour::Highlight), surface.System(SystemColour::DarkShadow));
        Ring(surface, r, surface.System(SystemColour::Light3d), surface.System(SystemColour::Shadow));
    }
    if ((parts & kFrameSunken) != 0) {
        const Colour darkShadow = surface.System(SystemColour::DarkShadow);
        const Colour shadow = surface.System(SystemColour::Shadow);
        Ring(surface, r, darkShadow, darkShadow);
        Ring(surface, r, shadow, shadow);
    }
}

unsigned FrameFor(unsigned state) {
    if ((state & kItemSelected) != 0) return kFrameSunken;
    if ((state & (kItemFocus | kItemDefault)) != 0) return kFrameOutline | kFrameRaised;
    return kFrameRaised;
}

} // namespace

void ColourSwatchButton::SetColours(DialogView& view, Colour text, Colour face) {
    m_text = text;
    m_face = face;
    view.SetText(m_controlId, view.Text(m_controlId));
}

void ColourSwatchButton::Draw(DialogView& view, const OwnerDrawItem& item, DrawingSurface& surface) const {
    const Rect& whole = item.area;
    const Rect focus = Shrunk(whole, kFocusInset);
    const Rect raisedText = Moved(whole, -1, -1);
    const Rect pressedText = whole;
    const std::string caption = view.Text(m_controlId);
    const bool disabled = (item.state & kItemDisabled) != 0;
    const Colour systemFace = surface.System(SystemColour::ButtonFace);

    surface.FillRect(whole, disabled ? systemFace : m_face.value_or(systemFace));
    DrawFrame(surface, whole, FrameFor(item.state));
    const Colour text = m_text.value_or(surface.System(SystemColour::ButtonText));
    if (disabled) {
        surface.DrawCentredText(pressedText, caption, kEtchedWhite);
        surface.DrawCentredText(raisedText, caption, kEtchedGrey);
    } else if ((item.state & kItemSelected) != 0) {
        surface.DrawCentredText(pressedText, caption, text);
    } else {
        surface.DrawCentredText(raisedText, caption, text);
    }
    if ((item.state & kItemFocus) != 0) surface.DrawFocusRect(focus);
}

} // namespace hv
