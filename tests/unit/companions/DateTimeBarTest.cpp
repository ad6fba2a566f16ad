#include "FakePanelLink.h"
#include "Vistrel/DateTimeBar.h"
#include "Vistrel/res/resource.h"
#include "dialogs/DialogFixture.h"

namespace hv::testing {
namespace {

constexpr const char* kUserBar = "HKCU\\Software\\Horvane\\Bar";
constexpr const char* kPlaceKey = "HKCU\\Software\\Horvane\\Vistrel";

class DateTimeBarTest : public DialogFixture<DateTimeBar> {
protected:
    FakePanelLink horvane;

    // Saturday 14 March 2026, 09:05:07.250 UTC; the local zone is an hour ahead.
    DateTimeBarTest() {
        platform.SetNowMicroseconds(MicrosFromUtc(2026, 3, 14, 9, 5, 7, 250000));
        platform.localOffsetSeconds = 3600;
    }

    void Open() { OpenWith(platform, horvane); }

    std::string Shown() { return view->Text(IDC_BAR_TIME); }
};

TEST_F(DateTimeBarTest, ShowsTheLocalTimeAndDateTurningWithTheSecond) {
    Open();
    EXPECT_EQ(Shown(), "10:05:07  Sat 03/14/2026");
    // The next turn comes just after the full second, not a second after opening.
    platform.AdvanceMs(740);
    EXPECT_EQ(Shown(), "10:05:07  Sat 03/14/2026");
    platform.AdvanceMs(40);
    EXPECT_EQ(Shown(), "10:05:08  Sat 03/14/2026");
}

TEST_F(DateTimeBarTest, TheMarkShowsTheStatusHorvaneReports) {
    const std::tuple<std::uintptr_t, const char*, Colour> cases[] = {{1, "\u25CB", RgbColour(245, 176, 25)},
                                                                     {0, "\u25CF", RgbColour(46, 184, 92)},
                                                                     {2, "\u25B2", RgbColour(235, 64, 52)}};
    Open();
    EXPECT_EQ(view->Text(IDC_BAR_STATUS), "\u25CF") << "all is well before the first run";
    for (const auto& [code, mark, colour] : cases) {
        EXPECT_TRUE(view->ReceiveCopyData(code));
        EXPECT_EQ(view->Text(IDC_BAR_STATUS), mark) << code;
        EXPECT_EQ(dialog->ColoursOf(IDC_BAR_STATUS).value_or(ControlColours{}).text, colour) << code;
    }
    EXPECT_FALSE(view->ReceiveCopyData(20));
    EXPECT_EQ(view->Text(IDC_BAR_STATUS), "\u25B2") << "an unknown code changes nothing";
}

// Which values count, and the colours they give, are protocol/BarValues' to say.
TEST_F(DateTimeBarTest, ReadsItsValuesAgainOnTwentyOne) {
    Open();
    platform.registry[kUserBar]["Bkcolor"] = 0x00112233u;
    EXPECT_EQ(dialog->ColoursOf(IDC_BAR_TIME).value_or(ControlColours{}).background, RgbColour(32, 32, 32));
    EXPECT_TRUE(view->ReceiveCopyData(21));
    EXPECT_EQ(dialog->ColoursOf(IDC_BAR_TIME).value_or(ControlColours{}).background, RgbColour(0x11, 0x22, 0x33));
}

TEST_F(DateTimeBarTest, EachMenuCommandAsksHorvaneWithItsCode) {
    Open();
    const std::pair<int, std::uintptr_t> commands[] = {
        {IDM_BAR_PREFERENCES, 31}, {IDM_BAR_SYNCHRONIZE, 32}, {IDM_BAR_WORLD_CLOCK, 33}, {IDM_BAR_CALENDAR, 34},
        {IDM_BAR_SHUTDOWN, 35},    {IDM_BAR_HELP, 36},        {IDM_BAR_VIEW_LOG, 37},
    };
    for (const auto& [item, code] : commands) {
        EXPECT_TRUE(view->ChooseFromContextMenu(item)) << item;
        EXPECT_EQ(horvane.codes.back(), code) << item;
    }
}

// Where it first opens is the companions' end-to-end test's.
TEST_F(DateTimeBarTest, RemembersWhereTheUserLeftItPerUser) {
    Open();
    view->MoveTo({-1200, 40}); // on a screen left of the primary one
    EXPECT_EQ(platform.registry[kPlaceKey]["Left"], RegistryValue{static_cast<std::uint32_t>(-1200)});
    Open();
    EXPECT_EQ(dialog->PlaceToOpen().topLeft, (ScreenPoint{-1200, 40}));
}

} // namespace
} // namespace hv::testing
