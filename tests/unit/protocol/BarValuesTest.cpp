#include "Vistrel/DateTimeBar.h"
#include "Vistrel/res/resource.h"
#include "companions/FakePanelLink.h"
#include "dialogs/OptionsDialog.h"
#include "framework/fake/FakePlatform.h"
#include "framework/fake/RecordingSurface.h"
#include "protocol/BarValues.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace hv::testing {
namespace {

constexpr const char* kMachine = "HKLM\\Software\\Horvane\\Bar";
constexpr const char* kUser = "HKCU\\Software\\Horvane\\Bar";
// Stored with red in bits 16-23.
constexpr std::uint32_t kStoredRed = 0x00FF0000, kStoredTeal = 0x00008080;
constexpr Colour kRed = RgbColour(255, 0, 0), kTeal = RgbColour(0, 128, 128);
constexpr Colour kBarBackground = RgbColour(32, 32, 32), kBarText = RgbColour(240, 240, 240);
constexpr Rect kSwatch{0, 0, 40, 20};

using Values = std::map<std::string, RegistryValue>;

// What Preferences' colour button shows: the colour it fills its face with, or nothing for
// a plain button in the system's face colour.
std::optional<Colour> SwatchOf(OptionsDialog& dialog, FakeDialogView& view, int id) {
    RecordingSurface surface;
    dialog.OnDrawItem(view, {id, 0, kSwatch}, surface);
    for (Colour colour : {kRed, kTeal}) {
        if (surface.calls.front() == "fill " + RectText(kSwatch) + " " + ColourText(colour)) return colour;
    }
    EXPECT_EQ(surface.calls.front(), "fill " + RectText(kSwatch) + " " + ColourText(RecordingSurface::kButtonFace));
    return std::nullopt;
}

// Each combination of the three values stored in the machine's key, then the user's key over
// it. Both read up to the first missing value (with no background, nothing else counts), each
// value the user's else the machine's, and only a number counts.
TEST(BarValues, TheBarAndPreferencesShowTheSameForEveryCombination) {
    const struct Case {
        const char* stored;
        Values machine, user;
        std::optional<Colour> background, text; // nothing: the bar's own, a plain button
        bool timeOnly;
    } cases[] = {
        {"none", {}, {}, {}, {}, false},
        {"Bkcolor", {{"Bkcolor", kStoredRed}}, {}, kRed, {}, false},
        {"Textcolor", {{"Textcolor", kStoredTeal}}, {}, {}, {}, false},
        {"Timeonly", {{"Timeonly", 1u}}, {}, {}, {}, false},
        {"Bkcolor Textcolor", {{"Bkcolor", kStoredRed}, {"Textcolor", kStoredTeal}}, {}, kRed, kTeal, false},
        {"Bkcolor Timeonly", {{"Bkcolor", kStoredRed}, {"Timeonly", 1u}}, {}, kRed, {}, false},
        {"Textcolor Timeonly", {{"Textcolor", kStoredTeal}, {"Timeonly", 1u}}, {}, {}, {}, false},
        {"all", {{"Bkcolor", kStoredRed}, {"Textcolor", kStoredTeal}, {"Timeonly", 1u}}, {}, kRed, kTeal, true},
        {"the user's first",
         {{"Bkcolor", kStoredRed}, {"Textcolor", kStoredRed}},
         {{"Textcolor", kStoredTeal}, {"Timeonly", 7u}},
         kRed,
         kTeal,
         true},
        {"a text is missing", {{"Bkcolor", std::string("red")}, {"Textcolor", kStoredTeal}}, {}, {}, {}, false},
        {"the user's text gives way", {{"Bkcolor", kStoredTeal}}, {{"Bkcolor", std::string("red")}}, kTeal, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        FakePlatform platform;
        platform.SetNowMicroseconds(MicrosFromUtc(2026, 3, 14, 9, 5, 7));
        platform.registry[kMachine] = c.machine;
        platform.registry[kUser] = c.user;

        FakePanelLink horvane;
        DateTimeBar bar(platform, horvane);
        FakeDialogView barView(platform, bar);
        barView.Open();
        const ControlColours shown = bar.ColoursOf(IDC_BAR_TIME).value_or(ControlColours{});
        EXPECT_EQ(shown.background, c.background.value_or(kBarBackground));
        EXPECT_EQ(shown.text, c.text.value_or(kBarText));
        for (int id : {kDialogItself, IDC_BAR_STATUS}) {
            EXPECT_EQ(bar.ColoursOf(id).value_or(ControlColours{}).background, shown.background) << "the mark's too";
        }
        EXPECT_EQ(barView.Text(IDC_BAR_TIME), c.timeOnly ? "09:05:07" : "09:05:07  Sat 03/14/2026");

        Settings settings;
        OptionsDialog options(platform, settings);
        FakeDialogView prefs(platform, options);
        prefs.Open();
        EXPECT_EQ(SwatchOf(options, prefs, IDC_BG_COLOUR), c.background);
        EXPECT_EQ(SwatchOf(options, prefs, IDC_TEXT_COLOUR), c.text);
        EXPECT_EQ(prefs.IsChecked(IDC_TIME_ONLY), c.timeOnly);
    }
}

TEST(BarValues, WritesTheMachinesKeyElseTheCurrentUsers) {
    FakePlatform platform;
    platform.registry[kUser]["Bkcolor"] = kStoredTeal;
    EXPECT_TRUE(WriteBarColour(platform, "Bkcolor", kRed));
    EXPECT_EQ(platform.registry[kMachine]["Bkcolor"], RegistryValue{kStoredRed});
    EXPECT_EQ(platform.registry[kUser].count("Bkcolor"), 0u) << "an older value of the user's would hide it";

    platform.registryKeysDeniedWrite.insert(kMachine); // a standard user
    EXPECT_TRUE(WriteBarTimeOnly(platform, true));
    EXPECT_EQ(platform.registry[kUser]["Timeonly"], RegistryValue{1u});
    platform.registryKeysDeniedWrite.insert(kUser);
    EXPECT_FALSE(WriteBarTimeOnly(platform, false));
    EXPECT_EQ(platform.traces.size(), 1u);
}

} // namespace
} // namespace hv::testing
