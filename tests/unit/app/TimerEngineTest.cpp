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
        frame->m_settings.bellEnabled = 1;
        frame->m_settings.chimeHourly = hourly;
        frame->m_settings.bellFile = "C:\\Horvane\\bell.wav";
    }
    std::size_t Chimes() const { return platform.soundsPlayed.size(); }
    void ArmAtTime(int hour, int minute, int second = 0) {
        ShutdownSchedule& schedule = frame->m_settings.shutdown;
        schedule.kind = kShutdownAtTime;
        schedule.disarmed = false;
        schedule.atHour = static_cast<std::int16_t>(hour);
        schedule.atMinute = static_cast<std::int16_t>(minute);
        schedule.atSecond = static_cast<std::int16_t>(second);
    }
    // An armed schedule is disarmed at the moment it falls due.
    bool FellDue() const { return frame->m_settings.shutdown.disarmed; }
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
    frame->m_settings.bellEnabled = 0;
    TickAt(12, 59, 59);
    TickAt(13, 0, 0);
    EXPECT_EQ(Chimes(), 2u);
}

TEST_F(TickTest, AtTimeScheduleFallsDueOnItsSecond) {
    ArmAtTime(10, 0);
    TickAt(9, 59, 58);
    EXPECT_EQ(frame->m_settings.shutdown.secondsLeft, 1);
    TickAt(9, 59, 59);
    EXPECT_FALSE(FellDue());
    TickAt(10, 0, 0);
    EXPECT_TRUE(FellDue());
    EXPECT_EQ(frame->m_settings.shutdown.kind, kShutdownAtTime);
}

TEST_F(TickTest, AtTimeScheduleWhoseSecondWasSkippedStillFallsDue) {
    ArmAtTime(10, 0);
    TickAt(9, 59, 59);
    TickAt(10, 0, 2);
    EXPECT_TRUE(FellDue());
}

TEST_F(TickTest, AtTimeSchedulePassedLongAgoMovesToTheNextDay) {
    ArmAtTime(9, 58);
    TickAt(10, 0, 0);
    EXPECT_FALSE(FellDue());
    EXPECT_EQ(frame->m_settings.shutdown.secondsLeft, 86400 - 120 - 1);
}

TEST_F(TickTest, DelayScheduleCountsTicks) {
    ShutdownSchedule& schedule = frame->m_settings.shutdown;
    schedule.kind = kShutdownAfterDelay;
    schedule.disarmed = false;
    schedule.secondsLeft = 3;
    platform.AdvanceMs(3000);
    EXPECT_EQ(schedule.secondsLeft, 0);
    EXPECT_FALSE(FellDue());
    platform.AdvanceMs(1000);
    EXPECT_TRUE(FellDue());
}

} // namespace
} // namespace hv::testing
