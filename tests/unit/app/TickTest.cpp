#include "app/MainFrameFixture.h"
#include "app/TimerIds.h"

#include <algorithm>
#include <cstdio>

namespace hv::testing {
namespace {

struct ClockTime {
    int hour = 0, minute = 0, second = 0;
};

ClockTime ReadClock(const char* hhmmss) {
    ClockTime t;
    std::sscanf(hhmmss, "%d:%d:%d", &t.hour, &t.minute, &t.second);
    return t;
}

// Ticks are driven by hand here: each TickAt() sets the clock to the given local time (the
// fake's local zone is UTC) and delivers one tick, as a late or doubled timer would.
class TickTest : public MainFrameTest {
protected:
    void SetUp() override {
        platform.SetNowMicroseconds(MicrosFromUtc(2026, 3, 14, 9, 0, 0));
        StartQuiet();
    }
    void TickAt(const char* hhmmss, int day) {
        const ClockTime t = ReadClock(hhmmss);
        platform.SetNowMicroseconds(MicrosFromUtc(2026, 3, day, t.hour, t.minute, t.second, 400000));
        frame->OnTimer(kTimerTick);
    }
    // Starts anew with the chime so set.
    void ChimeEvery(bool hourly, int enabled = 1) {
        StartQuiet("[ring]=" + std::to_string(enabled) + "\r\n[rpoh]=" + (hourly ? "1" : "0") +
                   "\r\n[rifn]=C:\\Horvane\\bell.wav\r\n");
    }
    // Lets time pass tick by tick; the local times ("HH:MM") at which the chime sounded.
    std::vector<std::string> ChimesOver(int seconds) {
        std::vector<std::string> at;
        for (int i = 0; i < seconds; ++i) {
            const std::size_t before = platform.soundsPlayed.size();
            platform.AdvanceMs(1000);
            const CivilTime local = platform.ToLocalTime(platform.NowMicroseconds() / 1'000'000);
            if (platform.soundsPlayed.size() > before) at.push_back(FormatCivilTime("%H:%M", local));
        }
        return at;
    }
    // Falling due, a schedule opens the countdown (which the fake closes at once).
    bool FellDue() {
        const bool due = !platform.dialogsRun.empty() && platform.dialogsRun.back() == IDD_COUNTDOWN;
        platform.dialogsRun.clear();
        return due;
    }
};

TEST_F(TickTest, ChimeSoundsOncePerSlotOnTheFirstTickWithinAMinuteOfIt) {
    struct Case {
        int enabled;
        bool hourly;
        std::vector<const char*> ticks;
        std::size_t chimes;
    } cases[] = {
        {1, false, {"10:29:59", "10:30:01", "10:30:01", "10:30:02"}, 1}, // second 0 never seen
        {1, true, {"10:59:59", "11:00:00", "11:00:00"}, 1},              // two ticks in one second
        {1, true, {"11:00:00", "11:00:04", "10:59:58", "11:00:00"}, 1},  // clock stepped back a few seconds
        {1, true, {"11:59:30", "12:01:05"}, 0},                          // over a minute late: lost
        {0, true, {"12:59:59", "13:00:00"}, 0},                          // switched off
    };
    int day = 14; // a day per case
    for (const Case& c : cases) {
        ChimeEvery(c.hourly, c.enabled);
        const std::size_t before = platform.soundsPlayed.size();
        for (const char* tick : c.ticks) TickAt(tick, day);
        EXPECT_EQ(platform.soundsPlayed.size() - before, c.chimes) << c.ticks.front();
        ++day;
    }
    EXPECT_EQ(platform.soundsPlayed.back(), "C:\\Horvane\\bell.wav");
}

TEST_F(TickTest, EachHourTheClockShowsChimesWhenSummerTimeEndsOrBegins) {
    // Central European time as the rule has it in 2026: UTC+1, and summer time (UTC+2)
    // from 29 March to 25 October, switching at 01:00 UTC.
    platform.localOffsetSeconds = 3600;
    platform.daylightSaving = FakePlatform::DaylightSaving{MicrosFromUtc(2026, 3, 29, 1, 0, 0) / 1'000'000,
                                                           MicrosFromUtc(2026, 10, 25, 1, 0, 0) / 1'000'000};
    const std::int64_t beforeFallBack = MicrosFromUtc(2026, 10, 24, 23, 59, 50);    // 01:59:50 summer time
    const std::int64_t beforeSpringForward = MicrosFromUtc(2026, 3, 29, 0, 59, 50); // 01:59:50 winter time
    struct Case {
        std::int64_t from;
        int seconds;
        bool hourly;
        std::vector<std::string> chimes;
    } cases[] = {
        {beforeFallBack, 2 * 3600 + 40, true, {"02:00", "02:00", "03:00"}},
        {beforeSpringForward, 3600 + 40, true, {"03:00", "04:00"}},
    };
    for (const Case& c : cases) {
        ChimeEvery(c.hourly);
        platform.SetNowMicroseconds(c.from);
        EXPECT_EQ(ChimesOver(c.seconds), c.chimes) << c.hourly;
    }
}

TEST_F(TickTest, AtTimeScheduleFallsDueOnTheTickThatPassesItWithinAMinute) {
    struct Case {
        const char* target;
        const char* lastTick; // seen before the schedule was armed
        const char* nextTick; // on the next day when earlier than lastTick
        bool due;
    } cases[] = {
        {"10:00:00", "09:59:58", "09:59:59", false}, {"10:00:00", "09:59:59", "10:00:00", true},
        {"10:00:00", "09:59:59", "10:00:02", true},  // its second skipped by a late tick
        {"10:00:00", "09:59:59", "10:01:00", true},  // 60 s late
        {"10:00:00", "10:00:05", "10:00:06", false}, // armed after it passed: tomorrow
        {"23:59:59", "23:59:58", "00:00:00", true},  {"23:59:30", "23:59:29", "00:00:01", true},
        {"00:00:00", "23:59:59", "00:00:30", true},  {"23:59:00", "23:58:59", "00:00:01", false}, // 61 s late: tomorrow
    };
    int day = 14; // two days per case
    for (const Case& c : cases) {
        StartQuiet();
        TickAt(c.lastTick, day);
        const ClockTime t = ReadClock(c.target);
        ArmSchedule(IDC_AT, t.hour, t.minute, t.second);
        TickAt(c.nextTick, std::string(c.nextTick) < c.lastTick ? day + 1 : day);
        EXPECT_EQ(FellDue(), c.due) << c.target << " seen last at " << c.lastTick << ", next at " << c.nextTick;
        day += 2;
    }
}

TEST_F(TickTest, DelayScheduleCountsTicks) {
    ArmDelay(3);
    platform.AdvanceMs(3000);
    EXPECT_FALSE(FellDue());
    platform.AdvanceMs(1000);
    EXPECT_TRUE(FellDue());
}

// The schedule dialog and the countdown as the main window runs them; the fixture's clock
// reads 09:59:50.25 local time.
class ShutdownTest : public MainFrameTest {
protected:
    void SetUp() override { StartQuiet(); }
    std::int64_t NowMs() { return platform.NowMicroseconds() / 1000; }
    auto Countdowns() const {
        return std::count(platform.dialogsRun.begin(), platform.dialogsRun.end(), IDD_COUNTDOWN);
    }
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
        platform.AdvanceMs(5000); // the main window's ticks go on, leaving the schedule alone
        view.PressEscape();
    };
    frame->OnCommand(kCmdShutDown);
    platform.AdvanceMs(10000);
    EXPECT_EQ(platform.dialogsRun, (std::vector<int>{IDD_SHUTDOWN, IDD_COUNTDOWN}));
    EXPECT_EQ((closedAt - armedAt) / 1000, 1); // its first tick
    EXPECT_GT(countdownAt, closedAt);
    EXPECT_LE(countdownAt - closedAt, 1000);
    // Cancelled: the mode is kept, disarmed.
    EXPECT_EQ(SavedSettings().shutdown.kind, kShutdownAfterDelay);
    platform.AdvanceMs(100000);
    EXPECT_EQ(Countdowns(), 1);
}

// The dialog hands an at-time over in its last ten seconds; the main window's tick opens the
// countdown on the time's second.
TEST_F(ShutdownTest, AnAtTimeFiveSecondsAheadIsHandedOverAndFallsDueOnItsSecond) {
    std::int64_t armedAt = 0, closedAt = 0;
    platform.dialogScripts[IDD_SHUTDOWN] = [&](FakeDialogView& view) {
        Arm(view, IDC_AT, 9, 59, 55);
        armedAt = NowMs();
        platform.AdvanceMs(10000);
        closedAt = NowMs();
    };
    CivilTime countdownAt;
    platform.dialogScripts[IDD_COUNTDOWN] = [&](FakeDialogView&) {
        countdownAt = platform.ToLocalTime(NowMs() / 1000);
    };
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
    EXPECT_EQ(Countdowns(), 1) << "disarmed";

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
    EXPECT_EQ(Countdowns(), 2) << "armed for 10:00:30";
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
