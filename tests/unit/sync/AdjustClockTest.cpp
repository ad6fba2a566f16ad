#include "SntpTestSupport.h"
#include "framework/TimeUnits.h"

#include <cstdlib>
#include <random>

namespace hv::testing {
namespace {

// A client as a completed exchange leaves it: a request sent `delay` seconds before `now`,
// answered by a server `offset` seconds ahead of the local clock that holds it no time,
// read at `now`.
class AdjustClock : public SntpFixture {
protected:
    void Measured(std::int64_t now, double offset, double delay = 0.02) {
        SendAt(NtpSecondsFromUnixMicros(now) - delay);
        const double t1 = client.SendTime();
        const double t4 = NtpSecondsFromUnixMicros(now);
        const double serverTime = (t1 + t4) / 2 + offset;
        fake.SetNowMicroseconds(now);
        const NtpPacketBytes reply = ValidReply(serverTime, serverTime);
        fake.Deliver(Datagram{{reply.begin(), reply.end()}, kServer});
    }

    // How far the clock now stands from where the server's time puts it.
    std::int64_t ErrorAfterAdjusting(std::int64_t offsetMicros) {
        const std::int64_t before = fake.ClockStepMicros();
        EXPECT_TRUE(client.AdjustClock(fake));
        return fake.ClockStepMicros() - before - offsetMicros;
    }
};

// The system takes whole milliseconds: from any phase of the clock within its millisecond,
// with any cost of reading and setting it, the step must not throw the rest away.
TEST_F(AdjustClock, RemainingErrorStaysFarBelowAMillisecondFromAnyPhase) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    std::int64_t largest = 0;
    for (const double offset : {0.000006, -0.000025, 0.4567, -2.5}) {
        for (int round = 0; round < 250; ++round) {
            fake.clockReadMicros = 1 + static_cast<std::int64_t>(rng() % 10);
            fake.setTimeCallMicros = 5 + static_cast<std::int64_t>(rng() % 60);
            const auto phase = static_cast<std::int64_t>(rng() % 1000);
            Measured(MicrosFromUtc(2026, 6, 1, 8, 30, 0, 500'000) + phase, offset);
            const std::int64_t error = std::abs(ErrorAfterAdjusting(std::llround(offset * kMicrosPerSecond)));
            largest = std::max(largest, error);
        }
    }
    EXPECT_LT(largest, 50);
    EXPECT_EQ(fake.privilegesEnabled.back(), "SeSystemtimePrivilege");
}

TEST_F(AdjustClock, SetsNothingForNegligibleOrImplausibleResultsOrWhenRefused) {
    const std::int64_t now = MicrosFromUtc(2026, 3, 14, 12, 0, 0);
    const struct {
        const char* name;
        double offset, delay;
    } cases[] = {{"half a microsecond ahead", 0.0000005, 0.02},
                 {"half a microsecond behind", -0.0000005, 0.02},
                 {"no delay", 2.5, 0.0},
                 {"negative delay", 2.5, -0.01}};
    for (const auto& c : cases) {
        Measured(now, c.offset, c.delay);
        EXPECT_FALSE(client.AdjustClock(fake)) << c.name;
    }
    EXPECT_FALSE(SntpClient(fake).AdjustClock(fake)) << "nothing measured";
    EXPECT_TRUE(fake.messageBoxes.empty()) << "all ignored silently";

    // Refusals show the system's error number once; a refused setting shows nothing.
    Measured(now, 2.5);
    fake.tokenOpens = false;
    fake.tokenOpenError = 0xFFFFFFFFu;
    EXPECT_FALSE(client.AdjustClock(fake));
    fake.tokenOpens = fake.refuseSystemTime = true;
    EXPECT_FALSE(client.AdjustClock(fake));
    EXPECT_EQ(fake.messageBoxes, (std::vector<std::string>{"4294967295"}));
    EXPECT_TRUE(fake.systemTimeSets.empty());
}

} // namespace
} // namespace hv::testing
