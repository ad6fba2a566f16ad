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
    void TickAt(int hour, int minute, int second, int day = 14) {
        platform.SetNowMicroseconds(MicrosFromUtc(2026, 3, day, hour, minute, second, 400000));
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
    // Lets time pass tick by tick; the local times ("HH:MM") at which the chime sounded.
    std::vector<std::string> ChimesOver(int seconds) {
        std::vector<std::string> at;
        for (int i = 0; i < seconds; ++i) {
            const std::size_t before = Chimes();
            platform.AdvanceMs(1000);
            const CivilTime local = platform.ToLocalTime(platform.NowMicroseconds() / 1'000'000);
            if (Chimes() > before) at.push_back(FormatCivilTime("%H:%M", local));
        }
        return at;
    }
    // Central European time as the rule has it in 2026: UTC+1, and summer time (UTC+2)
    // from 29 March to 25 October, switching at 01:00 UTC.
    void CentralEuropeanTime() {
        platform.localOffsetSeconds = 3600;
        platform.daylightSaving = FakePlatform::DaylightSaving{MicrosFromUtc(2026, 3, 29, 1, 0, 0) / 1'000'000,
                                                               MicrosFromUtc(2026, 10, 25, 1, 0, 0) / 1'000'000};
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

TEST_F(TickTest, TheHourShownTwiceWhenSummerTimeEndsChimesTwice) {
    CentralEuropeanTime();
    const std::vector<std::string> hourly{"02:00", "02:00", "03:00"};
    const std::vector<std::string> halfHourly{"02:00", "02:30", "02:00", "02:30", "03:00"};
    for (bool everyHour : {true, false}) {
        ChimeEvery(everyHour);
        platform.SetNowMicroseconds(MicrosFromUtc(2026, 10, 24, 23, 59, 50));  // 01:59:50 summer time
        EXPECT_EQ(ChimesOver(2 * 3600 + 40), everyHour ? hourly : halfHourly);
    }
}

TEST_F(TickTest, TheHourSkippedWhenSummerTimeBeginsDoesNotChime) {
    CentralEuropeanTime();
    const std::vector<std::string> hourly{"03:00", "04:00"};
    const std::vector<std::string> halfHourly{"03:00", "03:30", "04:00"};
    for (bool everyHour : {true, false}) {
        ChimeEvery(everyHour);
        platform.SetNowMicroseconds(MicrosFromUtc(2026, 3, 29, 0, 59, 50));  // 01:59:50 winter time
        EXPECT_EQ(ChimesOver(3600 + 40), everyHour ? hourly : halfHourly);
    }
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

TEST_F(TickTest, AtTimeScheduleJustBeforeMidnightFallsDueOnATickAfterIt) {
    struct Case {
        int target[3];
        int lastTickOfTheDay[3];
        int firstTickOfTheNext[3];
        bool due;
    };
    const Case cases[] = {
        {{23, 59, 59}, {23, 59, 58}, {0, 0, 0}, true},
        {{23, 59, 30}, {23, 59, 29}, {0, 0, 1}, true},
        {{0, 0, 0}, {23, 59, 59}, {0, 0, 30}, true},
        {{23, 59, 0}, {23, 58, 59}, {0, 0, 1}, false},  // 61 s late: tomorrow
    };
    for (const Case& c : cases) {
        ArmAtTime(c.target[0], c.target[1], c.target[2]);
        TickAt(c.lastTickOfTheDay[0], c.lastTickOfTheDay[1], c.lastTickOfTheDay[2], 14);
        ASSERT_FALSE(FellDue());
        TickAt(c.firstTickOfTheNext[0], c.firstTickOfTheNext[1], c.firstTickOfTheNext[2], 15);
        EXPECT_EQ(FellDue(), c.due) << c.target[0] << ":" << c.target[1] << ":" << c.target[2];
    }
    EXPECT_EQ(frame->m_settings.shutdown.secondsLeft, 86400 - 61 - 1);
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
