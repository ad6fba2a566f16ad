#include "SntpTestSupport.h"
#include "sync/SampleBurst.h"

namespace hv::testing {
namespace {

constexpr double kStart = 3'900'000'000.0; // NTP seconds at the burst's start
// Two seconds between requests, plus the 16 ms a tick-count clock may be behind.
constexpr std::int64_t kTurnMs = 2016;

// A burst of at most four samples within 8 s, as the time service runs it, with the
// burst's clock and the local clock advancing together.
class SampleBurstTest : public SntpFixture {
protected:
    SampleBurst burst{client, fake, 4, 8000};
    std::int64_t nowMs = 0;

    void Start() {
        fake.SetNowMicroseconds(MicrosFromNtp(kStart));
        ASSERT_TRUE(burst.Start(0));
    }

    void PollAt(std::int64_t ms) {
        nowMs = ms;
        fake.SetNowMicroseconds(MicrosFromNtp(kStart + static_cast<double>(ms) / 1000.0));
        burst.Poll(ms);
    }

    // The server answers the last request `delayMs` after it left (half each way), its
    // clock `offset` seconds ahead; a broken reply says stratum 0.
    void Answer(double delayMs, double offset, bool broken = false) {
        const double sent = kStart + static_cast<double>(nowMs) / 1000.0;
        const double stamp = sent + delayMs / 2000.0 + offset;
        NtpPacketBytes reply = ValidReply(stamp, stamp);
        if (broken) reply[1] = 0;
        DeliverAt(sent + delayMs / 1000.0, reply);
    }

    std::vector<int> SampleNumbers() const {
        std::vector<int> numbers;
        for (const BurstSample& sample : burst.Samples()) numbers.push_back(sample.number);
        return numbers;
    }
};

TEST_F(SampleBurstTest, BelievesTheShortestRoundTripOfTheRepliesItTook) {
    Start();
    Answer(30, 2.5);
    PollAt(kTurnMs - 1);
    EXPECT_EQ(fake.sent.size(), 1u) << "no request before its turn";
    PollAt(kTurnMs);
    Answer(5, 9.0, true); // the shortest round trip, but refused
    PollAt(2 * kTurnMs);  // the third request gets no answer at all
    PollAt(3 * kTurnMs);
    Answer(25, 2.49);
    EXPECT_EQ(burst.NextPollMs(), 8000) << "the last reply is awaited until the burst's end";
    PollAt(3 * kTurnMs + 50);
    EXPECT_FALSE(burst.Running());
    EXPECT_EQ(burst.Requests(), 4);
    EXPECT_EQ(SampleNumbers(), (std::vector<int>{1, 4}));
    // The client holds the chosen sample, so a clock change uses it.
    EXPECT_NEAR(client.Offset(), 2.49, 1e-5);
    EXPECT_NEAR(client.Delay(), 0.025, 1e-5);
}

TEST_F(SampleBurstTest, NearbyServerEndsTheBurstAndASilentOneLastsItsWindow) {
    Start();
    Answer(0.8, 0.25);
    PollAt(1);
    EXPECT_FALSE(burst.Running()) << "a round trip under 1 ms needs no second sample";
    PollAt(5000);
    EXPECT_EQ(fake.sent.size(), 1u);
    EXPECT_EQ(SampleNumbers(), std::vector<int>{1});

    Start();
    for (std::int64_t turn = 1; turn <= 3; ++turn) PollAt(turn * kTurnMs);
    PollAt(7999);
    EXPECT_TRUE(burst.Running());
    PollAt(8000);
    EXPECT_FALSE(burst.Running());
    EXPECT_EQ(fake.sent.size(), 5u);
    EXPECT_FALSE(burst.Best());
    EXPECT_FALSE(client.AwaitingReply());
}

} // namespace
} // namespace hv::testing
