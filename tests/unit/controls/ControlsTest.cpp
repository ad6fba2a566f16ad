#include "controls/ColourSwatchButton.h"
#include "controls/HyperlinkControl.h"
#include "dialogs/AboutDialog.h"
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

// Preferences never disables its colour buttons.
TEST(ColourSwatchButton, DrawsNormalPressedAndFocused) {
    const Colour face = RgbColour(200, 100, 50), ink = RgbColour(10, 20, 30), black = 0;
    const Rect r{0, 0, 40, 20}, in1{1, 1, 39, 19}, in2{2, 2, 38, 18};
    const Rect up{-1, -1, 39, 19}; // the caption's place unless pressed
    const std::string focus = "focus 4,4,36,16";
    const struct {
        unsigned state;
        Calls expected;
    } cases[] = {
        {0, Join({{Fill(r, face)},
                  Ring(r, S::kHighlight, S::kDarkShadow),
                  Ring(in1, S::kLight3d, S::kShadow),
                  {Caption(up, ink)}})},
        {kItemSelected | kItemFocus, Join({{Fill(r, face)},
                                           Ring(r, S::kDarkShadow, S::kDarkShadow),
                                           Ring(in1, S::kShadow, S::kShadow),
                                           {Caption(r, ink), focus}})},
        {kItemFocus, Join({{Fill(r, face)},
                           Ring(r, black, black),
                           Ring(in1, S::kHighlight, S::kDarkShadow),
                           Ring(in2, S::kLight3d, S::kShadow),
                           {Caption(up, ink), focus}})},
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

constexpr int kShellNoAssociation = 31;
constexpr const char* kTarget = "http://example.org/a page";

// The About box's link is left-aligned, the one alignment in use.
TEST(HyperlinkControl, FitsItsPlaceToItsText) {
    FakePlatform platform;
    const HyperlinkControl link(platform, IDC_ABOUT_LINK);
    EXPECT_EQ(link.Fitted({10, 20, 160, 40}, {57, 13}, TextAlignment::Left, false), (PixelRect{10, 20, 67, 33}));
}

// The link and hover colours are the About box's end-to-end test's (test_tray).
TEST(HyperlinkControl, IsPurpleOnceOpenedUntilAnOpenFails) {
    FakePlatform platform;
    AboutDialog about(platform);
    FakeDialogView view(platform, about);
    view.Open();
    HyperlinkControl link(platform, IDC_ABOUT_LINK);
    link.SetTarget(kTarget);
    link.SetHovering(true);
    link.OnClicked(view);
    EXPECT_EQ(link.TextColour(), RgbColour(255, 0, 0)) << "still under the mouse";
    link.SetHovering(false);
    EXPECT_EQ(link.TextColour(), RgbColour(85, 26, 139));
    platform.shellOpenResult = kShellNoAssociation;
    link.OnClicked(view);
    EXPECT_EQ(link.TextColour(), RgbColour(0, 0, 238));
    EXPECT_EQ(platform.messageBoxes, std::vector<std::string>{"Unable to open hyperlink:\n\nThere is no application "
                                                              "associated\nwith the given filename extension."});
}

// The shell first, then the command registered for web pages (its line: the next test).
TEST(HyperlinkControl, FallsBackToTheWebPageCommandWhenTheShellFails) {
    FakePlatform platform;
    EXPECT_EQ(OpenLinkTarget(platform, kTarget), platform.shellOpenResult);
    platform.shellOpenResult = kShellNoAssociation;
    EXPECT_EQ(OpenLinkTarget(platform, kTarget), kShellNoAssociation) << "nothing registered for web pages";
    platform.registry["HKCR\\.htm"][""] = std::string("htmlfile");
    EXPECT_EQ(OpenLinkTarget(platform, kTarget), kShellNoAssociation) << "no command for them";
    EXPECT_TRUE(platform.commandLines.empty());
    platform.registry["HKCR\\htmlfile\\shell\\open\\command"][""] = std::string("b.exe %1");
    EXPECT_GT(OpenLinkTarget(platform, kTarget), 32);
    EXPECT_EQ(platform.commandLines.size(), 1u);
    platform.commandLineStart = {ProgramStart::Status::Missing, 3};
    EXPECT_EQ(OpenLinkTarget(platform, kTarget), 3) << "the starter's error";
    platform.commandLineStart = {ProgramStart::Status::Failed, 193};
    EXPECT_EQ(OpenLinkTarget(platform, kTarget), 11) << "a program of the wrong format: an invalid .EXE file";
}

TEST(HyperlinkControl, WebPageCommandKeepsTheTargetOneWholeArgument) {
    const std::string longTarget = "http://example.org/" + std::string(2000, 'a');
    const std::string quoted = "\"http://example.org/a page\"";
    const std::string cases[][3] = {
        // Cut at the quoted placeholder: the switches after it go.
        {"\"C:\\Web\\b.exe\" \"%1\" -nohome", kTarget, "\"C:\\Web\\b.exe\"  " + quoted},
        {"C:\\Web\\b.exe %1 -x", kTarget, "C:\\Web\\b.exe  " + quoted},
        {"C:\\Web\\b.exe -nohome", kTarget, "C:\\Web\\b.exe -nohome " + quoted},
        {"b.exe %1", longTarget, "b.exe  \"" + longTarget + "\""},
        // Quotes and backslashes that would end the argument early are escaped.
        {"b.exe", "C:\\My Pages\\", "b.exe \"C:\\My Pages\\\\\""},
        {"b.exe", "x\" -evil \"y", "b.exe \"x\\\" -evil \\\"y\""},
    };
    for (const auto& [registered, target, command] : cases) {
        EXPECT_EQ(WebPageCommandLine(registered, target), command) << registered << " " << target;
    }
}

// A known code's text: IsPurpleOnceOpenedUntilAnOpenFails.
TEST(HyperlinkControl, NamesAnUnknownShellErrorByItsNumber) {
    EXPECT_EQ(LinkErrorText(-7), "Unable to open hyperlink:\n\nUnknown Error (-7) occurred.");
}

} // namespace
} // namespace hv::testing
