#include "controls/ColourSwatchButton.h"
#include "framework/fake/FakePlatform.h"
#include "framework/fake/RecordingSurface.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace hv {
namespace {

using Calls = std::vector<std::string>;
using S = RecordingSurface;

// A dialog whose template holds the swatch buttons; it is never opened.
struct SwatchHost final : Dialog {
    int TemplateId() const override { return IDD_OPTIONS; }
};

std::string Fill(const Rect& r, Colour c) { return "fill " + RectText(r) + " " + ColourText(c); }
std::string Text(const Rect& r, Colour c) { return "text " + RectText(r) + " " + ColourText(c) + " Aa"; }

// One ring of 1-pixel lines: top and left, then bottom and right.
Calls Ring(const Rect& r, Colour topLeft, Colour bottomRight) {
    return {Fill({r.left, r.top, r.right, r.top + 1}, topLeft), Fill({r.left, r.top, r.left + 1, r.bottom}, topLeft),
            Fill({r.left, r.bottom - 1, r.right, r.bottom}, bottomRight),
            Fill({r.right - 1, r.top, r.right, r.bottom}, bottomRight)};
}

Calls Join(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(ColourSwatchButton, DrawsEachStateWithItsFrameCaptionAndFocus) {
    const Colour face = RgbColour(200, 100, 50);
    const Colour ink = RgbColour(10, 20, 30);
    const Colour white = RgbColour(255, 255, 255), grey = RgbColour(128, 128, 128), black = 0;
    const Rect r{0, 0, 40, 20}, in1{1, 1, 39, 19}, in2{2, 2, 38, 18};
    const Rect up{-1, -1, 39, 19};  // the caption's place when the button is not pressed
    const Calls raised1 = Join({Ring(r, S::kHighlight, S::kDarkShadow), Ring(in1, S::kLight3d, S::kShadow)});
    const Calls raised2 = Join({Ring(in1, S::kHighlight, S::kDarkShadow), Ring(in2, S::kLight3d, S::kShadow)});
    const Calls sunken = Join({Ring(r, S::kDarkShadow, S::kDarkShadow), Ring(in1, S::kShadow, S::kShadow)});
    struct Case {
        const char* name;
        bool coloured;
        unsigned state;
        Calls expected;
    };
    const Case cases[] = {
        {"before any colour", false, 0, Join({{Fill(r, S::kButtonFace)}, raised1, {Text(up, S::kButtonText)}})},
        {"normal", true, 0, Join({{Fill(r, face)}, raised1, {Text(up, ink)}})},
        {"default", true, kItemDefault, Join({{Fill(r, face)}, Ring(r, black, black), raised2, {Text(up, ink)}})},
        {"focused", true, kItemFocus,
         Join({{Fill(r, face)}, Ring(r, black, black), raised2, {Text(up, ink), "focus 4,4,36,16"}})},
        {"pressed", true, kItemSelected | kItemFocus, Join({{Fill(r, face)}, sunken, {Text(r, ink), "focus 4,4,36,16"}})},
        {"disabled", true, kItemDisabled,
         Join({{Fill(r, S::kButtonFace)}, raised1, {Text(r, white), Text(up, grey)}})},
    };
    FakePlatform platform;
    SwatchHost host;
    FakeDialogView view(platform, host);
    view.SetText(IDC_BG_COLOUR, "Aa");
    for (const Case& c : cases) {
        ColourSwatchButton button(IDC_BG_COLOUR);
        if (c.coloured) button.SetColours(view, ink, face);
        RecordingSurface surface;
        button.Draw(view, OwnerDrawItem{IDC_BG_COLOUR, c.state, r}, surface);
        EXPECT_EQ(surface.calls, c.expected) << c.name;
    }
}

} // namespace
} // namespace hv
