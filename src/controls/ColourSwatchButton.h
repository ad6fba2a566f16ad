#pragma once
#include "framework/DialogView.h"
#include "framework/DrawingSurface.h"

#include <optional>

namespace hv {

// An owner-drawn push button that shows a colour: its face filled with the face colour,
// its caption in the text colour, inside a three-dimensional frame in the system's 3-D
// colours. Given the same colour for both it is a plain swatch. Until colours are set it
// looks like any button, in the system's button colours.
class ColourSwatchButton {
public:
    explicit ColourSwatchButton(int controlId) : m_controlId(controlId) {}

    int ControlId() const { return m_controlId; }

    // Stores the colours and has the button painted anew.
    void SetColours(DialogView& view, Colour text, Colour face);

    // Paints one owner-draw request.
    void Draw(DialogView& view, const OwnerDrawItem& item, DrawingSurface& surface) const;

private:
    int m_controlId;
    std::optional<Colour> m_text;
    std::optional<Colour> m_face;
};

} // namespace hv
