#include "SntpTestSupport.h"

namespace hv::test {
namespace {

// A client as a completed exchange leaves it: a request sent `delay` seconds before `now`,
// answered by a server `offset` seconds ahead that holds it no time, read at `now`.
class AdjustClock : public SntpFixture {
protected:
    void Measured(std::int64_t now, double offset, double delay = 0.02) {
        const double t4 = NtpSecondsFromUnixMicros(now);
        const double t1 = t4 - delay;
        SendAt(t1);
        const double serverTime = (t1 + t4) / 2 + offset;
        fake.SetNowMicroseconds(now);
        const NtpPacketBytes reply = ValidReply(serverTime, serverTime);
        fake.Deliver(Datagram{{reply.begin(), reply.end()}, kServer});
    }

    CivilTime Utc(int y, int mo, int d, int h, int mi, int s, int ms) {
        CivilTime t = CivilFromUnixSeconds(MicrosFromUtc(y, mo, d, h, mi, s) / 1'000'000);
        t.millisecond = ms;
        return t;
    }
};

TEST_F(AdjustClock, SetsNowPlusOffsetToTheMillisecond) {
    struct Case {
        std::int64_t now;
        double offset;
        CivilTime expected;
    };
    const Case cases[] = {
        {MicrosFromUtc(2026, 3, 14, 12, 0, 0, 900'000), 2.5, Utc(2026, 3, 14, 12, 0, 3, 400)},
        // Back across midnight of New Year: day, month and year all roll back.
        {MicrosFromUtc(2027, 1, 1, 8, 0, 0, 250'000), -0.75, Utc(2027, 1, 1, 7, 59, 59, 500)},
        {MicrosFromUtc(2027, 1, 1, 0, 0, 0, 250'000), -0.75, Utc(2026, 12, 31, 23, 59, 59, 500)},
    };
    for (const Case& c : cases) {
        fake.systemTimeSets.clear();
        Measured(c.now, c.offset);
        EXPECT_TRUE(client.AdjustClock());
        ASSERT_EQ(fake.systemTimeSets.size(), 1u);
        EXPECT_EQ(fake.systemTimeSets[0], c.expected);
    }
    EXPECT_EQ(fake.systemTimeSets[0].weekday, 4);  // 2026-12-31 is a Thursday
    EXPECT_EQ(fake.privilegesEnabled.back(), "SeSystemtimePrivilege");
    EXPECT_TRUE(fake.messageBoxes.empty());
}

TEST_F(AdjustClock, NegligibleOrImplausibleResultsAreIgnoredSilently) {
    const std::int64_t now = MicrosFromUtc(2026, 3, 14, 12, 0, 0);
    struct Case {
        double offset, delay;
    };
    const Case cases[] = {{0.0000005, 0.02}, {-0.0000005, 0.02}, {2.5, 0.0}, {2.5, -0.01}};
    for (const Case& c : cases) {
        Measured(now, c.offset, c.delay);
        EXPECT_FALSE(client.AdjustClock()) << c.offset << " " << c.delay;
    }
    // Nothing was ever measured.
    SntpClient fresh(fake);
    EXPECT_FALSE(fresh.AdjustClock());
    EXPECT_TRUE(fake.systemTimeSets.empty());
    EXPECT_TRUE(fake.messageBoxes.empty());
}

TEST_F(AdjustClock, RefusalsShowTheErrorNumberOnceAndSetNothing) {
    Measured(MicrosFromUtc(2026, 3, 14, 12, 0, 0), 2.5);
    fake.privilegeHeld = false;
    EXPECT_FALSE(client.AdjustClock());
    EXPECT_EQ(fake.messageBoxes, std::vector<std::string>{"1300"});
    EXPECT_TRUE(fake.systemTimeSets.empty());

    fake.messageBoxes.clear();
    fake.tokenOpens = false;
    fake.tokenOpenError = 0xFFFFFFFFu;
    EXPECT_FALSE(client.AdjustClock());
    EXPECT_EQ(fake.messageBoxes, std::vector<std::string>{"4294967295"});

    fake.messageBoxes.clear();
    fake.tokenOpens = true;
    fake.privilegeHeld = true;
    fake.refuseSystemTime = true;
    EXPECT_FALSE(client.AdjustClock());
    EXPECT_TRUE(fake.messageBoxes.empty());
}

} // namespace
} // namespace hv::test
