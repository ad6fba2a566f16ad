#pragma once
#include "framework/DialogView.h"

#include <string>
#include <string_view>

namespace hv {

// A rectangle in pixels: a control's place in its dialog's client area.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const PixelRect&) const = default;
};

// A text's width and height in pixels, as drawn in a given font.
struct PixelSize {
    int width = 0;
    int height = 0;
};

// Where a static control puts its text across its width.
enum class TextAlignment { Left, Centre, Right };

// A static control of a dialog shown as a hyperlink. The runner gives it its window side (an
// underlined font, the hand cursor, a tooltip showing the target, the mouse capture while the
// mouse is over it, its text colour on every repaint) and reports back what happens to it;
// what the link is and does lives behind this interface, free of the platform.
class LinkControl {
public:
    virtual int ControlId() const = 0;
    virtual bool Underlined() const = 0;
    // Bound to its window, which shows `windowText`; returns the text it is to show.
    virtual std::string OnAttach(std::string_view windowText) = 0;
    // Its place once fitted to its text, given its place now, its text's extent in its own
    // font and how the static aligns the text.
    virtual PixelRect Fitted(const PixelRect& place, PixelSize text, TextAlignment alignment,
                             bool centredVertically) const = 0;
    virtual std::string Target() const = 0;
    virtual Colour TextColour() const = 0;
    virtual bool Hovering() const = 0;
    virtual void SetHovering(bool hovering) = 0;
    // A click: opens the target; a failure is reported through the view.
    virtual void OnClicked(DialogView& view) = 0;

protected:
    ~LinkControl() = default;
};

} // namespace hv
