#include "app/CommandIds.h"
#include "app/MainFrameFixture.h"
#include "app/TimerIds.h"
#include "dialogs/OptionsDialogFixture.h"

namespace hv::testing {
namespace {

constexpr const char* kMachineBar = "HKLM\\Software\\Horvane\\Bar";

TEST_F(OptionsDialogTest, IntervalLabelShowsThePeriodTheTimerRuns) {
    FakeDialogView& options = Open();
    const std::pair<int, const char*> cases[] = {
        {0, "Interval:00(Hour)-30(Min)"},  {1, "Interval:00(Hour)-45(Min)"},  {2, "Interval:01(Hour)-00(Min)"},
        {3, "Interval:01(Hour)-15(Min)"},  {4, "Interval:01(Hour)-30(Min)"},  {47, "Interval:12(Hour)-15(Min)"},
        {99, "Interval:25(Hour)-15(Min)"}, {100, "Interval:25(Hour)-30(Min)"},
    };
    for (const auto& [position, label] : cases) {
        options.DragTrackbar(IDC_SYNC_INTERVAL, position);
        EXPECT_EQ(options.Text(IDC_INTERVAL_LABEL), label) << position;
    }
}

TEST_F(OptionsDialogTest, ChimeControlsChooseTheFileAndPlayIt) {
    FakeDialogView& options = Open();
    options.Click(IDC_TEST_MUSIC);  // plays with the chime off too
    options.Click(IDC_BROWSE);      // cancelled: nothing changes
    platform.fileToPick = "D:\\gong.wav";
    options.Click(IDC_BROWSE);
    EXPECT_EQ(platform.filePickerFilters.back(), "Wave Files (*.wav)|*.wav");
    options.Click(IDC_TEST_MUSIC);
    EXPECT_EQ(platform.soundsPlayed, (std::vector<std::string>{"C:\\Horvane\\bell.wav", "D:\\gong.wav"}));
    options.PressEnter();
    EXPECT_EQ(dialog->Chosen().bellFile, "D:\\gong.wav");
}

// --- run from the main window ------------------------------------------------------------------

TEST_F(MainFrameTest, PreferencesOkWithNothingChangedKeepsTheAutomaticPhase) {
    Start("[auto]=1\r\n[diff]=0\r\n[alsh]=0\r\n[bash]=0\r\n[list]=" + std::string(kServerList) + "\r\n");
    platform.AdvanceMs(600000);
    platform.dialogScripts[IDD_OPTIONS] = [&](FakeDialogView& options) {
        frame->OnCommand(kCmdPreferences);  // a second request while open is ignored
        options.PressEnter();
    };
    frame->OnCommand(kCmdPreferences);
    EXPECT_EQ(platform.dialogsRun, std::vector<int>{IDD_OPTIONS});
    platform.AdvanceMs(1199000);
    EXPECT_TRUE(platform.sent.empty());
    platform.AdvanceMs(1000);
    EXPECT_EQ(platform.sent.size(), 1u) << "30 minutes after start, as before the dialog";
}

TEST_F(MainFrameTest, PreferencesOkStoresAStepFromOutsideTheRangeAtItsEndAndRestartsTheTimer) {
    for (const auto& [stored, shown] : {std::pair{"-3", 0}, std::pair{"250", 100}}) {
        Start("[auto]=1\r\n[diff]=" + std::string(stored) + "\r\n[alsh]=0\r\n[bash]=0\r\n");
        platform.dialogScripts[IDD_OPTIONS] = [](FakeDialogView& options) { options.PressEnter(); };
        frame->OnCommand(kCmdPreferences);
        EXPECT_EQ(SavedSettings().autoSyncStep, shown) << stored;
        ASSERT_TRUE(platform.TimerRunning(IDT_AUTOSYNC)) << stored;
        EXPECT_EQ(platform.timers.at(IDT_AUTOSYNC).periodMs, AutoSyncPeriodMs(shown)) << stored;
        frame.reset();
    }
}

TEST_F(MainFrameTest, PreferencesCancelAppliesNothingWhileTheBarsColourStays) {
    StartQuiet();
    const std::string before = Saved();
    platform.colourToPick = RgbColour(0, 0, 255);
    platform.dialogScripts[IDD_OPTIONS] = [](FakeDialogView& options) {
        for (int id : {IDC_BG_COLOUR, IDC_BELL_ENABLE, IDC_AUTO_SYNC, IDC_ALWAYS_SHOW_BAR}) options.Click(id);
        options.SelectRow(IDC_SERVER_LIST, 0);
        options.Click(IDC_DELETE_SERVER);
        options.Click(kIdCancel);
    };
    frame->OnCommand(kCmdPreferences);
    EXPECT_EQ(Saved(), before);
    EXPECT_FALSE(platform.TimerRunning(IDT_AUTOSYNC));
    EXPECT_EQ(platform.colourPickerStarts, std::vector<Colour>{0}) << "the chooser starts from black";
    EXPECT_EQ(platform.registry[kMachineBar]["Bkcolor"], RegistryValue{0x0000FFu});
}

} // namespace
} // namespace hv::testing
