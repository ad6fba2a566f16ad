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

constexpr int kShellNoAssociation = 31;
constexpr const char* kTarget = "http://example.org/a page";

TEST(HyperlinkControl, FitsItsPlaceToItsTextForEachAlignment) {
    FakePlatform platform;
    const HyperlinkControl link(platform, IDC_ABOUT_LINK);
    const PixelRect place{10, 20, 160, 40};  // 150 x 20
    const PixelSize text{57, 13};
    struct Case {
        TextAlignment alignment;
        bool centredVertically;
        PixelRect fitted;
    };
    // Centred: (150 - 57) / 2 = 46 off each side; (20 - 13) / 2 = 3 off top and bottom.
    for (const Case& c : {Case{TextAlignment::Left, false, {10, 20, 67, 33}},
                          Case{TextAlignment::Right, false, {103, 20, 160, 33}},
                          Case{TextAlignment::Centre, true, {56, 23, 114, 37}}}) {
        EXPECT_EQ(link.Fitted(place, text, c.alignment, c.centredVertically), c.fitted)
            << static_cast<int>(c.alignment) << " " << c.centredVertically;
    }
}

TEST(HyperlinkControl, IsRedUnderTheMouseAndPurpleOnceOpened) {
    FakePlatform platform;
    AboutDialog about(platform);
    FakeDialogView view(platform, about);
    view.Open();
    HyperlinkControl link(platform, IDC_ABOUT_LINK);
    link.SetTarget(kTarget);
    EXPECT_EQ(link.TextColour(), RgbColour(0, 0, 238));
    link.SetHovering(true);
    EXPECT_EQ(link.TextColour(), RgbColour(255, 0, 0));
    link.OnClicked(view);
    EXPECT_TRUE(link.Visited());
    EXPECT_EQ(link.TextColour(), RgbColour(255, 0, 0)) << "still under the mouse";
    link.SetHovering(false);
    EXPECT_EQ(link.TextColour(), RgbColour(85, 26, 139));

    // A failed open is reported with its reason and leaves the link unvisited.
    platform.shellOpenResult = kShellNoAssociation;
    link.OnClicked(view);
    EXPECT_FALSE(link.Visited());
    EXPECT_EQ(link.TextColour(), RgbColour(0, 0, 238));
    EXPECT_EQ(platform.messageBoxes.size(), 1u) << "the reason, as the next test shows it";
}

TEST(HyperlinkControl, FallsBackToTheWebPageCommandWhenTheShellFails) {
    FakePlatform platform;
    EXPECT_EQ(OpenLinkTarget(platform, kTarget), platform.shellOpenResult);
    EXPECT_TRUE(platform.commandLines.empty()) << "the shell opened it";

    platform.shellOpenResult = kShellNoAssociation;
    EXPECT_EQ(OpenLinkTarget(platform, kTarget), kShellNoAssociation) << "nothing registered for web pages";
    platform.registry["HKCR\\.htm"][""] = std::string("htmlfile");
    EXPECT_EQ(OpenLinkTarget(platform, kTarget), kShellNoAssociation) << "no command for them";
    EXPECT_TRUE(platform.commandLines.empty());

    platform.registry["HKCR\\htmlfile\\shell\\open\\command"][""] = std::string("\"C:\\Web\\browser.exe\" \"%1\" -new");
    EXPECT_GT(OpenLinkTarget(platform, kTarget), 32);
    EXPECT_EQ(platform.commandLines,
              std::vector<std::string>{"\"C:\\Web\\browser.exe\"  \"http://example.org/a page\""});
    platform.commandLineStart = {ProgramStart::Status::Missing, 3};
    EXPECT_EQ(OpenLinkTarget(platform, kTarget), 3) << "the starter's error";
    platform.commandLineStart = {ProgramStart::Status::Failed, 193};
    EXPECT_EQ(OpenLinkTarget(platform, kTarget), 11) << "a program of the wrong format: an invalid .EXE file";
}

TEST(HyperlinkControl, WebPageCommandKeepsTheTargetOneWholeArgument) {
    const std::string longTarget = "http://example.org/" + std::string(2000, 'a');
    struct Case {
        std::string registered;
        std::string target;
        std::string command;
    };
    for (const Case& c : {
             // Cut at the quoted placeholder: the switches after it go.
             Case{"\"C:\\Web\\b.exe\" \"%1\" -nohome", kTarget, "\"C:\\Web\\b.exe\"  \"http://example.org/a page\""},
             Case{"C:\\Web\\b.exe %1 -x", kTarget, "C:\\Web\\b.exe  \"http://example.org/a page\""},
             Case{"C:\\Web\\b.exe -nohome", kTarget, "C:\\Web\\b.exe -nohome \"http://example.org/a page\""},
             Case{"b.exe %1", longTarget, "b.exe  \"" + longTarget + "\""},
             // Quotes and backslashes that would end the argument early are escaped.
             Case{"b.exe", "C:\\My Pages\\", "b.exe \"C:\\My Pages\\\\\""},
             Case{"b.exe", "x\" -evil \"y", "b.exe \"x\\\" -evil \\\"y\""},
         }) {
        EXPECT_EQ(WebPageCommandLine(c.registered, c.target), c.command) << c.registered << " " << c.target;
    }
}

TEST(HyperlinkControl, ExplainsEveryShellErrorCode) {
    const std::vector<std::pair<int, std::string>> expected = {
        {0, "The operating system is out\nof memory or resources."},
        {2, "The specified file was not found."},
        {3, "The specified path was not found."},
        {5, "The operating system denied\naccess to the specified file."},
        {8, "There was not enough memory to complete the operation."},
        {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
        {26, "A sharing violation occurred. "},
        {27, "The filename association is\nincomplete or invalid."},
        {28, "The DDE transaction could not\nbe completed because the request timed out."},
        {29, "The DDE transaction failed."},
        {30, "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
        {31, "There is no application associated\nwith the given filename extension."},
        {32, "The specified dynamic-link library was not found."},
        {4, "Unknown Error (4) occurred."},
        {-7, "Unknown Error (-7) occurred."},
    };
    for (const auto& [code, text] : expected) EXPECT_EQ(LinkErrorText(code), "Unable to open hyperlink:\n\n" + text) << code;
}

} // namespace
} // namespace hv::testing
