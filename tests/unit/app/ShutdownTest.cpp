#include "app/CommandIds.h"
#include "app/MainFrameFixture.h"
#include "res/resource.h"

#include <algorithm>

namespace hv::testing {
namespace {

// The schedule dialog and the countdown as the main window runs them; the fixture's clock
// reads 09:59:50.25 local time.
class ShutdownTest : public MainFrameTest {
protected:
    void SetUp() override { StartQuiet(); }

    std::int64_t NowMs() { return platform.NowMicroseconds() / 1000; }
    std::size_t Countdowns() const { return static_cast<std::size_t>(std::count(platform.dialogsRun.begin(), platform.dialogsRun.end(), IDD_COUNTDOWN)); }
};

TEST_F(ShutdownTest, ADelayOfNothingFallsDueOnTheTickAfterTheDialogCloses) {
    std::int64_t armedAt = 0, closedAt = 0, countdownAt = 0;
    platform.dialogScripts[IDD_SHUTDOWN] = [&](FakeDialogView& view) {
        Arm(view, IDC_AFTER, 0, 0, 0);
        armedAt = NowMs();
        platform.AdvanceMs(5000);
        closedAt = NowMs();
    };
    platform.dialogScripts[IDD_COUNTDOWN] = [&](FakeDialogView& view) {
        countdownAt = NowMs();
        platform.AdvanceMs(5000);  // the main window's ticks go on, leaving the schedule alone
        view.PressEscape();
    };
    frame->OnCommand(kCmdShutDown);
    platform.AdvanceMs(10000);
    EXPECT_EQ(platform.dialogsRun, (std::vector<int>{IDD_SHUTDOWN, IDD_COUNTDOWN}));
    EXPECT_EQ((closedAt - armedAt) / 1000, 1);  // its first tick
    EXPECT_GT(countdownAt, closedAt);
    EXPECT_LE(countdownAt - closedAt, 1000);
    // Cancelled: the mode is kept, disarmed, and nothing was requested.
    EXPECT_EQ(SavedSettings().shutdown.kind, kShutdownAfterDelay);
    platform.AdvanceMs(100000);
    EXPECT_EQ(Countdowns(), 1u);
    EXPECT_TRUE(platform.privilegesEnabled.empty());
}

TEST_F(ShutdownTest, AnAtTimeFiveSecondsAheadIsHandedOverAndFallsDueOnItsSecond) {
    std::int64_t armedAt = 0, closedAt = 0;
    platform.dialogScripts[IDD_SHUTDOWN] = [&](FakeDialogView& view) {
        Arm(view, IDC_AT, 9, 59, 55);
        armedAt = NowMs();
        platform.AdvanceMs(10000);
        closedAt = NowMs();
    };
    CivilTime countdownAt;
    platform.dialogScripts[IDD_COUNTDOWN] = [&](FakeDialogView&) { countdownAt = platform.ToLocalTime(NowMs() / 1000); };
    frame->OnCommand(kCmdShutDown);
    EXPECT_LE(closedAt - armedAt, 1000);
    platform.AdvanceMs(10000);
    EXPECT_EQ(FormatCivilTime("%H:%M:%S", countdownAt), "09:59:55");
}

TEST_F(ShutdownTest, AScheduleThatFellDueWhileTheDialogWasOpenIsNotArmedAgainByIt) {
    // Both count it; the main window's tick comes first, and its countdown is cancelled.
    ArmDelay(3);
    platform.dialogScripts[IDD_SHUTDOWN] = [&](FakeDialogView&) { platform.AdvanceMs(10000); };
    frame->OnCommand(kCmdShutDown);
    platform.AdvanceMs(5000);
    EXPECT_EQ(platform.dialogsRun, (std::vector<int>{IDD_SHUTDOWN, IDD_COUNTDOWN}));
    platform.AdvanceMs(10000);
    EXPECT_EQ(Countdowns(), 1u) << "disarmed";

    // Armed anew in the dialog after such a countdown, it stays armed.
    ArmDelay(1);
    platform.dialogScripts[IDD_SHUTDOWN] = [&](FakeDialogView& view) {
        view.Click(IDC_ACTIVATE);
        platform.AdvanceMs(3000);
        Arm(view, IDC_AT, 10, 0, 30);
        view.PressEnter();
    };
    frame->OnCommand(kCmdShutDown);
    EXPECT_EQ(platform.dialogsRun, (std::vector<int>{IDD_SHUTDOWN, IDD_COUNTDOWN}));
    platform.AdvanceMs(20000);
    EXPECT_EQ(Countdowns(), 2u) << "armed for 10:00:30";
}

// The countdown prepares the power-off before requesting it; from the main window that
// preparation is the save, so a session that ends at once keeps the schedule.
TEST_F(ShutdownTest, TheCountdownRunningOutSavesTheSettings) {
    platform.dialogScripts[IDD_SHUTDOWN] = [](FakeDialogView& view) {
        Arm(view, IDC_AFTER, 0, 0, 5);
        view.Click(IDC_AUTO_ARM);
        view.PressEnter();
    };
    frame->OnCommand(kCmdShutDown);
    platform.files[kConfigPath].clear();
    platform.dialogScripts[IDD_COUNTDOWN] = [&](FakeDialogView&) { platform.AdvanceMs(22000); };
    platform.AdvanceMs(7000);
    EXPECT_EQ(platform.powerOffRequests, 1);
    EXPECT_NE(Config().find("[shut]=3\r\n[shcd]=5\r\n"), std::string::npos) << Config();
}

} // namespace
} // namespace hv::testing
