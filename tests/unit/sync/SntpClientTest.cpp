#include "SntpTestSupport.h"

namespace hv::testing {
namespace {

using SntpExchange = SntpFixture;

TEST_F(SntpExchange, DelayAndOffsetFromTheFourTimestamps) {
    const struct {
        const char* name;
        double t1, t2, t3, t4, offset, delay;
    } cases[] = {
        {"agreeing clocks, fast path", 100.000, 100.010, 100.012, 100.030, -0.004, 0.028},
        {"server behind", 3'900'000'000.0, 3'899'999'998.8, 3'899'999'998.9, 3'900'000'000.5, -1.4, 0.4},
        {"local clock past the 2036 wrap, server 20 s behind it", kNtpEraSeconds + 10, kNtpEraSeconds - 9.95,
         kNtpEraSeconds - 9.95, kNtpEraSeconds + 10.1, -20, 0.1},
        {"local clock before the wrap, server 30 s ahead past it", kNtpEraSeconds - 5, kNtpEraSeconds + 25.05,
         kNtpEraSeconds + 25.05, kNtpEraSeconds - 4.9, 30, 0.1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SendAt(c.t1);
        DeliverAt(c.t4, ValidReply(c.t2, c.t3));
        ASSERT_FALSE(client.AwaitingReply());
        EXPECT_NEAR(client.Offset(), c.offset, 1e-5);
        EXPECT_NEAR(client.Delay(), c.delay, 1e-5);
    }
}

TEST_F(SntpExchange, RequestIsOneClientPacketToPort123WithARandomTransmitTimestamp) {
    const double t1 = 3'980'000'000.25; // 0xED39_7A00 whole seconds and a quarter
    fake.randomBitsMicros = 2'000;
    SendAt(t1);
    ASSERT_EQ(fake.sent.size(), 1u);
    const auto& request = fake.sent[0].bytes;
    ASSERT_EQ(request.size(), kNtpPacketBytes);
    EXPECT_EQ(request[0], 0x0B);
    EXPECT_TRUE(std::all_of(request.begin() + 1, request.begin() + 40, [](std::uint8_t b) { return b == 0; }));
    // Neither half tells the send time: the seconds are not within a day of it, the
    // fraction is not 0x4000_0000.
    const std::uint32_t seconds = GetU32BE(std::span(request).subspan<40, 4>());
    const std::uint32_t fraction = GetU32BE(std::span(request).subspan<44, 4>());
    EXPECT_GT(seconds > 3'980'000'000u ? seconds - 3'980'000'000u : 3'980'000'000u - seconds, 86'400u);
    EXPECT_NE(fraction, 0x40000000u);
    // The true reading stays with the client, taken as the request left, not before the
    // random bits were drawn.
    EXPECT_NEAR(static_cast<double>(MicrosFromNtp(client.SendTime())), static_cast<double>(fake.sent[0].sentAtMicros),
                2);
    // Another request at the very same instant carries another timestamp altogether.
    client.Abandon();
    SendAt(t1);
    EXPECT_NE(GetU32BE(std::span(fake.sent[1].bytes).subspan<40, 4>()), seconds);
    EXPECT_NE(GetU32BE(std::span(fake.sent[1].bytes).subspan<44, 4>()), fraction);
}

// A reply is taken, but a round trip over 3 s makes its time untrusted: nothing is set.
TEST_F(SntpExchange, ReplyAfterMoreThanThreeSecondsIsRefused) {
    for (const auto& [t4, tooSlow] : {std::pair(1003.0, false), std::pair(1003.2, true)}) {
        SendAt(1000.0);
        DeliverAt(t4, ValidReply(1002.0, 1002.0));
        ASSERT_FALSE(client.AwaitingReply()) << t4;
        EXPECT_EQ(client.TooSlow(), tooSlow) << t4;
        EXPECT_EQ(client.TryAdjustClock().Set(), !tooSlow) << t4;
    }
}

TEST_F(SntpExchange, FailuresLeaveNothingOutstandingUntilTheOwnerGivesUp) {
    const struct {
        const char* name;
        const char* address;
        bool failSends, sent;
    } cases[] = {{"no address", "", false, false},
                 {"unknown name", "no.such.host", false, false},
                 {"send refused", "192.0.2.7", true, false},
                 {"sent", "192.0.2.7", false, true}};
    for (const auto& c : cases) {
        fake.failSends = c.failSends;
        client.SetServerAddress(c.address);
        ASSERT_TRUE(client.Create());
        EXPECT_EQ(client.SendRequest(), c.sent) << c.name;
        EXPECT_EQ(client.AwaitingReply(), c.sent) << c.name;
    }
    ASSERT_EQ(fake.sent.size(), 1u);
    EXPECT_EQ(fake.sent[0].to, (IpEndpoint{0xC0000207, kNtpPort}));

    // A failed receive closes the socket; the request waits for the owner's time-out.
    fake.failReceive = true;
    fake.Deliver(Datagram{{}, kServer});
    EXPECT_TRUE(client.AwaitingReply());
    EXPECT_EQ(fake.OpenSocketCount(), 0);
}

// One socket at a time: a second Create keeps the one a request waits on, a new request
// replaces it, and nothing reaches the client from a request it gave up.
TEST_F(SntpExchange, OneSocketAtATimeAndAnAbandonedRequestChangesNothing) {
    SendAt(1000.0);
    const int firstSocket = fake.NewestSocketId();
    ASSERT_TRUE(client.Create());
    EXPECT_EQ(fake.NewestSocketId(), firstSocket);
    const NtpPacketBytes late = ValidReply(1003.05, 1003.06);
    client.Abandon();
    DeliverAt(1000.11, late);
    EXPECT_FALSE(client.AwaitingReply());
    EXPECT_EQ(std::pair(client.Offset(), client.Delay()), std::pair(0.0, 0.0));

    SendAt(2000.0);
    ASSERT_TRUE(client.Create());
    EXPECT_EQ(fake.OpenSocketCount(), 1);
    EXPECT_FALSE(fake.Deliver(Datagram{{late.begin(), late.end()}, kServer}, firstSocket));

    fake.failSocketOpen = true;
    client.Abandon();
    EXPECT_FALSE(client.Create());
    EXPECT_FALSE(client.SendRequest());
    EXPECT_FALSE(client.AwaitingReply());
}

// 2001:db8::123, the documentation prefix's server.
const IpAddress kServerV6 = IpAddress::FromIpv6({0x20, 0x01, 0x0D, 0xB8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x23});

class BackgroundLookup : public SntpFixture, public DeferredSendEvents {
protected:
    BackgroundLookup() {
        fake.hosts["dual.test"] = {kServerV6, kServerAddress};
        fake.lookupDelayMs = 3000;
        background.SetDeferredSendEvents(this);
    }
    void OnDeferredSend(bool sent) override { deferredSends.push_back(sent); }

    // Asks `server` for the time and lets `waitMs` of its look-up pass.
    void SendTo(const char* server, std::int64_t waitMs = 3000) {
        background.SetServerAddress(server);
        ASSERT_TRUE(background.Create());
        ASSERT_TRUE(background.SendRequest());
        fake.AdvanceMs(waitMs);
    }

    SntpClient background{fake, NameLookup::InBackground};
    std::vector<bool> deferredSends;
};

TEST_F(BackgroundLookup, TheRequestLeavesWhenTheNameIsKnownToItsFirstAddressThatTakesIt) {
    SendTo("dual.test", 2999);
    EXPECT_TRUE(background.AwaitingReply() && background.LookingUp());
    EXPECT_TRUE(fake.sent.empty());
    fake.AdvanceMs(1);
    ASSERT_EQ(fake.sent.size(), 1u);
    EXPECT_EQ(fake.sent[0].to, (IpEndpoint{kServerV6, kNtpPort}));
    EXPECT_EQ(deferredSends, std::vector<bool>{true});

    // Without an IPv6 route the next address is tried; an IPv6 literal needs no look-up.
    background.Abandon();
    fake.failIpv6Sends = true;
    SendTo("dual.test");
    EXPECT_EQ(fake.sent.back().to, kServer);
    background.Abandon();
    fake.failIpv6Sends = false;
    SendTo("2001:DB8::0123", 0);
    EXPECT_FALSE(background.LookingUp());
    EXPECT_EQ(fake.sent.back().to, (IpEndpoint{kServerV6, kNtpPort}));
    EXPECT_EQ(fake.lookupsStarted.size(), 2u);
}

TEST_F(BackgroundLookup, AnUnknownNameFailsLateAndALookUpReplacedByAnotherNeverSends) {
    SendTo("no.such.host");
    EXPECT_FALSE(background.AwaitingReply());
    EXPECT_TRUE(background.SendFailed());
    SendTo("dual.test", 1000);
    ASSERT_TRUE(background.SendRequest());
    EXPECT_EQ(fake.PendingLookupCount(), 1);
    fake.AdvanceMs(2999);
    EXPECT_TRUE(fake.sent.empty());
    fake.AdvanceMs(1);
    EXPECT_EQ(fake.sent.size(), 1u);
    EXPECT_EQ(deferredSends, (std::vector<bool>{false, true}));
}

} // namespace
} // namespace hv::testing
