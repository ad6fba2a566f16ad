#include "controls/ColourSwatchButton.h"
#include "framework/fake/FakePlatform.h"
#include "framework/fake/RecordingSurface.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace hv::testing {
namespace {

using Calls = std::vector<std::string>;
using S = RecordingSurface;

struct SwatchHost final : Dialog {
    int TemplateId() const override { return IDD_OPTIONS; }
};

std::string Fill(const Rect& r, Colour c) { return "fill " + RectText(r) + " " + ColourText(c); }
std::string Caption(const Rect& r, Colour c) { return "text " + RectText(r) + " " + ColourText(c) + " Aa"; }

// 1-pixel lines: top and left in one colour, then bottom and right in the other.
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

TEST(ColourSwatchButton, DrawsNormalPressedFocusedAndDisabled) {
    const Colour face = RgbColour(200, 100, 50), ink = RgbColour(10, 20, 30), black = 0;
    const Rect r{0, 0, 40, 20}, in1{1, 1, 39, 19}, in2{2, 2, 38, 18};
    const Rect up{-1, -1, 39, 19};  // the caption's place unless pressed
    const std::string focus = "focus 4,4,36,16";
    const Calls raised = Join({Ring(r, S::kHighlight, S::kDarkShadow), Ring(in1, S::kLight3d, S::kShadow)});
    const struct {
        unsigned state;
        Calls expected;
    } cases[] = {
        {0, Join({{Fill(r, face)}, raised, {Caption(up, ink)}})},
        {kItemSelected | kItemFocus,
         Join({{Fill(r, face)}, Ring(r, S::kDarkShadow, S::kDarkShadow), Ring(in1, S::kShadow, S::kShadow),
               {Caption(r, ink), focus}})},
        {kItemFocus, Join({{Fill(r, face)}, Ring(r, black, black), Ring(in1, S::kHighlight, S::kDarkShadow),
                           Ring(in2, S::kLight3d, S::kShadow), {Caption(up, ink), focus}})},
        {kItemDisabled, Join({{Fill(r, S::kButtonFace)}, raised,
                              {Caption(r, RgbColour(255, 255, 255)), Caption(up, RgbColour(128, 128, 128))}})},
    };
    FakePlatform platform;
    SwatchHost host;
    FakeDialogView view(platform, host);
    view.SetText(IDC_BG_COLOUR, "Aa");
    ColourSwatchButton button(IDC_BG_COLOUR);
    button.SetColours(view, ink, face);
    for (const auto& c : cases) {
        RecordingSurface surface;
        button.Draw(view, OwnerDrawItem{IDC_BG_COLOUR, c.state, r}, surface);
        EXPECT_EQ(surface.calls, c.expected) << c.state;
    }
}

} // namespace
} // namespace hv::testing
