#include "app/MainFrameFixture.h"
#include "app/TimerIds.h"

namespace hv::testing {
namespace {

// Ticks are driven by hand here: each Tick() sets the clock to the given local time (the
// fake's local zone is UTC) and delivers one tick, as a late or doubled timer would.
class TickTest : public MainFrameTest {
protected:
    void SetUp() override {
        platform.SetNowMicroseconds(MicrosFromUtc(2026, 3, 14, 9, 0, 0));
        StartQuiet();
    }
    void TickAt(int hour, int minute, int second) {
        platform.SetNowMicroseconds(MicrosFromUtc(2026, 3, 14, hour, minute, second, 400000));
        frame->OnTimer(IDT_TICK);
    }
    void ChimeEvery(bool hourly) {
        frame->m_bellEnabled = 1;
        frame->m_chimeHourly = hourly;
        frame->m_bellFile = "C:\\Horvane\\bell.wav";
    }
    std::size_t Chimes() const { return platform.soundsPlayed.size(); }
    void ArmAtTime(int hour, int minute, int second = 0) {
        frame->m_shutdownKind = kShutdownAtTime;
        frame->m_shutdownDisarmed = false;
        frame->m_atHour = static_cast<std::int16_t>(hour);
        frame->m_atMinute = static_cast<std::int16_t>(minute);
        frame->m_atSecond = static_cast<std::int16_t>(second);
    }
};

TEST_F(TickTest, HalfHourChimeSoundsOnlyAtFullAndHalfHour) {
    ChimeEvery(false);
    for (int s = 58; s < 60; ++s) TickAt(9, 59, s);
    TickAt(10, 0, 0);
    EXPECT_EQ(Chimes(), 1u);
    TickAt(10, 15, 0);
    TickAt(10, 29, 59);
    TickAt(10, 30, 0);
    TickAt(10, 30, 1);
    EXPECT_EQ(platform.soundsPlayed, (std::vector<std::string>{"C:\\Horvane\\bell.wav", "C:\\Horvane\\bell.wav"}));
}

TEST_F(TickTest, HourlyChimeSkipsTheHalfHour) {
    ChimeEvery(true);
    TickAt(10, 29, 59);
    TickAt(10, 30, 0);
    TickAt(10, 59, 59);
    TickAt(11, 0, 0);
    EXPECT_EQ(Chimes(), 1u);
}

TEST_F(TickTest, LateOrDoubledTicksChimeOncePerSlot) {
    ChimeEvery(true);
    TickAt(9, 59, 59);
    TickAt(10, 0, 1);  // second 0 never seen
    TickAt(10, 0, 1);
    TickAt(10, 0, 2);
    EXPECT_EQ(Chimes(), 1u);
    TickAt(10, 59, 59);
    TickAt(11, 0, 0);
    TickAt(11, 0, 0);  // two ticks in one second
    EXPECT_EQ(Chimes(), 2u);
    // More than a minute late (a sleep, a clock step): that chime is lost.
    TickAt(11, 59, 30);
    TickAt(12, 1, 5);
    EXPECT_EQ(Chimes(), 2u);
    // Switched off, nothing sounds.
    frame->m_bellEnabled = 0;
    TickAt(12, 59, 59);
    TickAt(13, 0, 0);
    EXPECT_EQ(Chimes(), 2u);
}

TEST_F(TickTest, AtTimeScheduleFallsDueOnItsSecond) {
    ArmAtTime(10, 0);
    TickAt(9, 59, 58);
    EXPECT_EQ(frame->m_secondsLeft, 1);
    TickAt(9, 59, 59);
    EXPECT_EQ(dialogs.countdownRuns, 0);
    TickAt(10, 0, 0);
    EXPECT_EQ(dialogs.countdownRuns, 1);
    EXPECT_TRUE(frame->m_shutdownDisarmed);
    EXPECT_EQ(frame->m_shutdownKind, kShutdownAtTime);
}

TEST_F(TickTest, AtTimeScheduleWhoseSecondWasSkippedStillFallsDue) {
    ArmAtTime(10, 0);
    TickAt(9, 59, 59);
    TickAt(10, 0, 2);
    EXPECT_EQ(dialogs.countdownRuns, 1);
}

TEST_F(TickTest, AtTimeSchedulePassedLongAgoMovesToTheNextDay) {
    ArmAtTime(9, 58);
    TickAt(10, 0, 0);
    EXPECT_EQ(dialogs.countdownRuns, 0);
    EXPECT_EQ(frame->m_secondsLeft, 86400 - 120 - 1);
    TickAt(10, 0, 1);
    EXPECT_EQ(dialogs.countdownRuns, 0);
}

TEST_F(TickTest, DelayScheduleCountsTicksAndDisarmsBeforeTheCountdown) {
    frame->m_shutdownKind = kShutdownAfterDelay;
    frame->m_shutdownDisarmed = false;
    frame->m_secondsLeft = 3;
    // Ticks nested in the open countdown must not open a second one.
    dialogs.whileCountdownOpen = [&] {
        EXPECT_TRUE(frame->m_shutdownDisarmed);
        platform.AdvanceMs(5000);
    };
    platform.AdvanceMs(3000);
    EXPECT_EQ(frame->m_secondsLeft, 0);
    EXPECT_EQ(dialogs.countdownRuns, 0);
    platform.AdvanceMs(1000);
    EXPECT_EQ(dialogs.countdownRuns, 1);
    platform.AdvanceMs(10000);
    EXPECT_EQ(dialogs.countdownRuns, 1);
}

TEST_F(TickTest, ChimeAndSyncGoOnWhileTheCountdownIsOpen) {
    ArmAtTime(10, 0);
    ChimeEvery(true);
    TickAt(9, 59, 59);
    TickAt(10, 0, 0);
    EXPECT_EQ(dialogs.countdownRuns, 1);
    EXPECT_EQ(Chimes(), 1u);
}

} // namespace
} // namespace hv::testing
