#include "app/CommandIds.h"
#include "app/MainFrameFixture.h"
#include "app/TimerIds.h"
#include "dialogs/OptionsDialogFixture.h"
#include "framework/fake/RecordingSurface.h"

namespace hv::testing {
namespace {

constexpr const char* kMachineBar = "HKLM\\Software\\Horvane\\Bar";
constexpr const char* kUserBar = "HKCU\\Software\\Horvane\\Bar";

TEST_F(OptionsDialogTest, OpensWithTheSettingsInTheirControls) {
    settings.autoSync = false;
    settings.autoSyncStep = 5;
    settings.bellEnabled = 1;
    settings.chimeHourly = false;
    FakeDialogView& options = Open();
    EXPECT_EQ(options.Caption(), "Options...");
    EXPECT_FALSE(options.IsChecked(IDC_ALWAYS_SHOW_BAR));
    EXPECT_FALSE(options.IsChecked(IDC_AUTO_SYNC));
    EXPECT_FALSE(options.IsEnabled(IDC_SYNC_INTERVAL));
    const auto& track = options.Control(IDC_SYNC_INTERVAL);
    EXPECT_EQ((std::vector<int>{track.trackMin, track.trackMax, track.trackLine, track.trackPosition}),
              (std::vector<int>{0, 100, 2, 5}));
    EXPECT_TRUE(options.IsChecked(IDC_BELL_ENABLE));
    EXPECT_TRUE(options.IsChecked(IDC_PER_HALF_HOUR) && options.IsEnabled(IDC_PER_HALF_HOUR));
    EXPECT_FALSE(options.IsChecked(IDC_PER_HOUR));
    EXPECT_EQ(options.Text(IDC_BELL_FILE), "C:\\Horvane\\bell.wav");
    EXPECT_FALSE(options.IsChecked(IDC_TIME_ONLY));

    const auto& list = options.List(IDC_SERVER_LIST);
    EXPECT_EQ(list.columns, (std::vector<ListColumn>{{"Title", 210}, {"Address", 110}, {"Delay", 65}}));
    EXPECT_EQ(list.look, kListGridLines | kListFullRowSelect);
    EXPECT_EQ(list.rows, (std::vector<std::vector<std::string>>{
                             {"Alpha", "10.0.0.1", ""}, {"Beta", "b.test", ""}, {"Gamma", "10.0.0.3", ""}}));
    EXPECT_EQ(list.selected, -1);
    EXPECT_EQ(options.Text(IDC_DEFAULT_LABEL), "Current Default Server:b.test");
    const std::vector<std::string> buttons{options.Text(IDC_ADD_SERVER), options.Text(IDC_DELETE_SERVER),
                                           options.Text(IDC_SET_DEFAULT), options.Text(IDC_TEST_SERVER),
                                           options.Text(IDC_FIND_BEST)};
    EXPECT_EQ(buttons, (std::vector<std::string>{"Add Server ", "Del Selected", "Set Default", "Test Server",
                                                 "Find Best  "}));
}

TEST_F(OptionsDialogTest, IntervalLabelShowsThePeriodTheTimerRuns) {
    FakeDialogView& options = Open();
    EXPECT_EQ(options.Text(IDC_INTERVAL_LABEL), "Interval:01(Hour)-15(Min)") << "the default step, 75 minutes";
    const std::pair<int, const char*> cases[] = {
        {0, "Interval:00(Hour)-30(Min)"},  {1, "Interval:00(Hour)-45(Min)"},  {2, "Interval:01(Hour)-00(Min)"},
        {3, "Interval:01(Hour)-15(Min)"},  {4, "Interval:01(Hour)-30(Min)"},  {47, "Interval:12(Hour)-15(Min)"},
        {99, "Interval:25(Hour)-15(Min)"}, {100, "Interval:25(Hour)-30(Min)"}, {250, "Interval:25(Hour)-30(Min)"},
    };
    for (const auto& [position, label] : cases) {
        options.DragTrackbar(IDC_SYNC_INTERVAL, position);
        EXPECT_EQ(options.Text(IDC_INTERVAL_LABEL), label) << position;
    }
    // Switched off, the trackbar is out of reach until switched on again.
    options.Click(IDC_AUTO_SYNC);
    EXPECT_FALSE(options.DragTrackbar(IDC_SYNC_INTERVAL, 4));
    options.Click(IDC_AUTO_SYNC);
    EXPECT_TRUE(options.DragTrackbar(IDC_SYNC_INTERVAL, 4));
}

TEST_F(OptionsDialogTest, ChimeControlsChooseModeFileAndPlayIt) {
    FakeDialogView& options = Open();
    EXPECT_FALSE(options.IsEnabled(IDC_PER_HOUR) || options.IsEnabled(IDC_PER_HALF_HOUR));
    EXPECT_TRUE(options.IsChecked(IDC_PER_HOUR));
    EXPECT_FALSE(options.Type(IDC_BELL_FILE, "typed.wav")) << "the path is chosen, never typed";

    options.Click(IDC_TEST_MUSIC);  // plays whether the chime is on or not
    options.Click(IDC_BELL_ENABLE);
    EXPECT_TRUE(options.IsEnabled(IDC_PER_HOUR) && options.IsEnabled(IDC_PER_HALF_HOUR));
    options.Click(IDC_PER_HALF_HOUR);
    EXPECT_FALSE(options.IsChecked(IDC_PER_HOUR));

    options.Click(IDC_BROWSE);  // cancelled: nothing changes
    platform.fileToPick = "D:\\Sounds\\gong.wav";
    options.Click(IDC_BROWSE);
    EXPECT_EQ(platform.filePickerFilters, (std::vector<std::string>(2, "Wave Files (*.wav)|*.wav")));
    EXPECT_EQ(options.Text(IDC_BELL_FILE), "D:\\Sounds\\gong.wav");
    platform.soundLengthMicros = 0;
    options.Click(IDC_TEST_MUSIC);
    EXPECT_EQ(platform.soundsPlayed, (std::vector<std::string>{"C:\\Horvane\\bell.wav", "D:\\Sounds\\gong.wav"}));

    options.PressEnter();
    EXPECT_EQ(dialog->Chosen().bellEnabled, 1);
    EXPECT_FALSE(dialog->Chosen().chimeHourly);
    EXPECT_EQ(dialog->Chosen().bellFile, "D:\\Sounds\\gong.wav");
}

TEST_F(OptionsDialogTest, BarColoursAndTimeOnlyGoToTheRegistryAtOnce) {
    platform.registry[kMachineBar] = {{"Bkcolor", 0x00FF0000u}, {"Textcolor", 0x000000FFu}, {"Timeonly", 1u}};
    auto& bar = platform.Window(platform.AddWindow("VistrelShow"))->received;
    FakeDialogView& options = Open();
    EXPECT_TRUE(options.IsChecked(IDC_TIME_ONLY));
    RecordingSurface surface;
    EXPECT_TRUE(dialog->OnDrawItem(options, OwnerDrawItem{IDC_BG_COLOUR, 0, Rect{0, 0, 30, 20}}, surface));
    EXPECT_EQ(surface.calls.front(), "fill 0,0,30,20 #FF0000") << "the stored colour, red in its high byte";

    options.Click(IDC_TEXT_COLOUR);  // chooser cancelled
    EXPECT_TRUE(bar.empty());
    platform.colourToPick = RgbColour(0x12, 0x34, 0x56);
    options.Click(IDC_TEXT_COLOUR);
    options.Click(IDC_TIME_ONLY);
    EXPECT_EQ(platform.colourPickerStarts, (std::vector<Colour>{0, 0})) << "the chooser starts from black";
    EXPECT_EQ(platform.registry[kMachineBar]["Textcolor"], RegistryValue{0x123456u});
    EXPECT_EQ(platform.registry[kMachineBar]["Timeonly"], RegistryValue{0u});
    ASSERT_EQ(bar.size(), 2u);
    EXPECT_EQ(bar[0].code, 21u);
    EXPECT_EQ(bar[1].code, 21u);

    // Nowhere to store: the colour is still shown and announced, the time-only switch is not.
    platform.registryKeysDeniedWrite = {kMachineBar, kUserBar};
    options.Click(IDC_BG_COLOUR);
    options.Click(IDC_TIME_ONLY);
    EXPECT_EQ(bar.size(), 3u);
    EXPECT_EQ(platform.registry[kMachineBar]["Timeonly"], RegistryValue{0u});
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
    EXPECT_FALSE(frame->m_prefsOpen);
    platform.AdvanceMs(1199000);
    EXPECT_TRUE(platform.sent.empty());
    platform.AdvanceMs(1000);
    EXPECT_EQ(platform.sent.size(), 1u) << "30 minutes after start, as before the dialog";
}

TEST_F(MainFrameTest, PreferencesOkStoresAStepFromOutsideTheRangeAtItsEndAndRestartsTheTimer) {
    const std::pair<const char*, int> cases[] = {{"-3", 0}, {"250", 100}};
    for (const auto& [stored, shown] : cases) {
        Start("[auto]=1\r\n[diff]=" + std::string(stored) + "\r\n[alsh]=0\r\n[bash]=0\r\n");
        platform.dialogScripts[IDD_OPTIONS] = [](FakeDialogView& options) { options.PressEnter(); };
        frame->OnCommand(kCmdPreferences);
        EXPECT_EQ(frame->m_settings.autoSyncStep, shown) << stored;
        ASSERT_TRUE(platform.TimerRunning(IDT_AUTOSYNC)) << stored;
        EXPECT_EQ(platform.timers.at(IDT_AUTOSYNC).periodMs, AutoSyncPeriodMs(shown)) << stored;
        frame.reset();
    }
}

TEST_F(MainFrameTest, PreferencesCancelAppliesNothingWhileTheBarsValuesStay) {
    StartQuiet("[ring]=0\r\n");
    const Settings before = frame->m_settings;
    platform.colourToPick = RgbColour(0, 0, 255);
    platform.dialogScripts[IDD_OPTIONS] = [](FakeDialogView& options) {
        options.Click(IDC_BG_COLOUR);
        options.Click(IDC_TIME_ONLY);
        options.Click(IDC_BELL_ENABLE);
        options.Click(IDC_AUTO_SYNC);
        options.Click(IDC_ALWAYS_SHOW_BAR);
        options.SelectRow(IDC_SERVER_LIST, 0);
        options.Click(IDC_DELETE_SERVER);
        options.Click(kIdCancel);
    };
    frame->OnCommand(kCmdPreferences);
    EXPECT_EQ(frame->m_settings, before);
    EXPECT_FALSE(platform.TimerRunning(IDT_AUTOSYNC));
    EXPECT_EQ(platform.registry[kMachineBar]["Bkcolor"], RegistryValue{0x0000FFu});
    EXPECT_EQ(platform.registry[kMachineBar]["Timeonly"], RegistryValue{1u});
}

} // namespace
} // namespace hv::testing
