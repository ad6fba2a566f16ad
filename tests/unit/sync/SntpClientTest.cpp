#include "SntpTestSupport.h"

namespace hv::testing {
namespace {

using SntpExchange = SntpFixture;

TEST_F(SntpExchange, DelayAndOffsetFromTheFourTimestamps) {
    struct Case {
        double t1, t2, t3, t4, offset, delay;
    };
    const Case cases[] = {
        {100.000, 100.010, 100.012, 100.030, -0.004, 0.028},  // agreeing clocks, fast path
        {1000.0, 1003.05, 1003.06, 1000.11, 3.0, 0.10},       // server 3 s ahead, 0.1 s path
        {3'900'000'000.0, 3'899'999'998.8, 3'899'999'998.9, 3'900'000'000.5, -1.4, 0.4},
        // Local clock 10 s past the 2036 wrap, server 20 s behind and still before it.
        {kNtpEraSeconds + 10, kNtpEraSeconds - 9.95, kNtpEraSeconds - 9.95, kNtpEraSeconds + 10.1, -20, 0.1},
        // Local clock 5 s before the wrap, server 30 s ahead and past it.
        {kNtpEraSeconds - 5, kNtpEraSeconds + 25.05, kNtpEraSeconds + 25.05, kNtpEraSeconds - 4.9, 30, 0.1},
    };
    for (const Case& c : cases) {
        SendAt(c.t1);
        DeliverAt(c.t4, ValidReply(c.t2, c.t3));
        ASSERT_FALSE(client.AwaitingReply()) << c.t1;
        EXPECT_NEAR(client.Offset(), c.offset, 1e-5) << c.t1;
        EXPECT_NEAR(client.Delay(), c.delay, 1e-5) << c.t1;
        EXPECT_NEAR(client.Packet().transmitTimestamp, c.t3, 1e-5) << c.t1;
    }
}

TEST_F(SntpExchange, RequestIsOneClientPacketToPort123WithARandomTransmitTimestamp) {
    const double t1 = 3'980'000'000.25;  // 0xED39_7A00 whole seconds and a quarter
    fake.randomBitsMicros = 2'000;
    SendAt(t1);
    ASSERT_EQ(fake.sent.size(), 1u);
    const auto& request = fake.sent[0].bytes;
    EXPECT_EQ(fake.sent[0].to, kServer);
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
    EXPECT_NEAR(static_cast<double>(MicrosFromNtp(client.SendTime())), static_cast<double>(fake.sent[0].sentAtMicros), 2);

    // Another request at the very same instant carries another timestamp altogether.
    client.Abandon();
    SendAt(t1);
    EXPECT_NE(GetU32BE(std::span(fake.sent[1].bytes).subspan<40, 4>()), seconds);
    EXPECT_NE(GetU32BE(std::span(fake.sent[1].bytes).subspan<44, 4>()), fraction);
}

// A reply is taken, but a round trip over 3 s makes its time untrusted: nothing is set.
TEST_F(SntpExchange, ReplyAfterMoreThanThreeSecondsIsRefused) {
    struct Case {
        double t4;
        bool tooSlow;
    };
    const Case cases[] = {{1002.9, false}, {1003.0, false}, {1003.2, true}, {1007.9, true}};
    for (const Case& c : cases) {
        fake.systemTimeSets.clear();
        SendAt(1000.0);
        DeliverAt(c.t4, ValidReply(1002.0, 1002.0));
        ASSERT_FALSE(client.AwaitingReply()) << c.t4;
        EXPECT_EQ(client.TooSlow(), c.tooSlow) << c.t4;
        EXPECT_NEAR(client.Delay(), c.t4 - 1000.0, 1e-5) << c.t4;
        EXPECT_EQ(client.TryAdjustClock().Set(), !c.tooSlow) << c.t4;
        EXPECT_EQ(fake.systemTimeSets.size(), c.tooSlow ? 0u : 1u) << c.t4;
    }
}

TEST_F(SntpExchange, FailuresLeaveNothingOutstandingUntilTheOwnerGivesUp) {
    struct Case {
        const char* address;
        bool failSends;
        bool sent;
    };
    const Case cases[] = {{"", false, false}, {"no.such.host", false, false},
                          {"192.0.2.7", true, false}, {"192.0.2.7", false, true}};
    for (const Case& c : cases) {
        fake.failSends = c.failSends;
        client.SetServerAddress(c.address);
        ASSERT_TRUE(client.Create());
        EXPECT_EQ(client.SendRequest(), c.sent) << c.address;
        EXPECT_EQ(client.AwaitingReply(), c.sent) << c.address;
    }
    ASSERT_EQ(fake.sent.size(), 1u);
    EXPECT_EQ(fake.sent[0].to, (IpEndpoint{0xC0000207, kNtpPort}));

    // A failed receive closes the socket; the request waits for the owner's time-out.
    fake.failReceive = true;
    fake.Deliver(Datagram{{}, kServer});
    EXPECT_TRUE(client.AwaitingReply());
    EXPECT_EQ(fake.OpenSocketCount(), 0);
}

TEST_F(SntpExchange, ReplyToAnAbandonedRequestChangesNothing) {
    SendAt(1000.0);
    const NtpPacketBytes late = ValidReply(1003.05, 1003.06);
    client.Abandon();  // the owner gives up
    DeliverAt(1000.11, late);
    EXPECT_FALSE(client.AwaitingReply());
    EXPECT_EQ(client.Offset(), 0.0);
    EXPECT_EQ(client.Delay(), 0.0);

    // Opening for a new request closes the old socket, and were the old reply to reach
    // the new one it would not echo the new request.
    const int oldSocket = fake.NewestSocketId();
    SendAt(2000.0);
    EXPECT_EQ(fake.OpenSocketCount(), 1);
    EXPECT_FALSE(fake.Deliver(Datagram{{late.begin(), late.end()}, kServer}, oldSocket));
    DeliverAt(2000.1, late);
    EXPECT_TRUE(client.AwaitingReply());
    EXPECT_EQ(client.LastRefusal(), ReplyVerdict::WrongOriginate);
}

TEST_F(SntpExchange, CreatingAgainNeverLeavesASecondSocket) {
    ASSERT_TRUE(client.Create());
    ASSERT_TRUE(client.Create());
    EXPECT_EQ(fake.OpenSocketCount(), 1);

    // While a request is outstanding its socket stays, and its reply is still taken.
    SendAt(1000.0);
    const int awaitingSocket = fake.NewestSocketId();
    ASSERT_TRUE(client.Create());
    EXPECT_EQ(fake.NewestSocketId(), awaitingSocket);
    DeliverAt(1000.11, ValidReply(1003.05, 1003.06));
    EXPECT_NEAR(client.Offset(), 3.0, 1e-6);

    fake.failSocketOpen = true;
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
        background.SetServerAddress("dual.test");
    }
    void OnDeferredSend(bool sent) override { deferredSends.push_back(sent); }

    SntpClient background{fake, NameLookup::InBackground};
    std::vector<bool> deferredSends;
};

TEST_F(BackgroundLookup, TheRequestLeavesWhenTheNameIsKnownToItsFirstAddressThatTakesIt) {
    ASSERT_TRUE(background.Create());
    ASSERT_TRUE(background.SendRequest());
    EXPECT_TRUE(background.AwaitingReply() && background.LookingUp());
    fake.AdvanceMs(2999);
    EXPECT_TRUE(fake.sent.empty());
    fake.AdvanceMs(1);
    ASSERT_EQ(fake.sent.size(), 1u);
    EXPECT_EQ(fake.sent[0].to, (IpEndpoint{kServerV6, kNtpPort}));
    EXPECT_EQ(deferredSends, std::vector<bool>{true});
    // The reply must come from where the request went, in that family.
    const NtpPacketBytes reply = ValidReply(1.0, 1.0);
    fake.Deliver(Datagram{{reply.begin(), reply.end()}, kServer});
    EXPECT_EQ(background.LastRefusal(), ReplyVerdict::WrongSender);
    fake.Deliver(Datagram{{reply.begin(), reply.end()}, {kServerV6, kNtpPort}});
    EXPECT_FALSE(background.AwaitingReply());

    // Without an IPv6 route the next address is tried; an IPv6 literal needs no look-up.
    fake.failIpv6Sends = true;
    ASSERT_TRUE(background.Create());
    ASSERT_TRUE(background.SendRequest());
    fake.AdvanceMs(3000);
    EXPECT_EQ(fake.sent.back().to, kServer);
    background.Abandon();
    fake.failIpv6Sends = false;
    background.SetServerAddress("2001:DB8::0123");
    ASSERT_TRUE(background.Create());
    ASSERT_TRUE(background.SendRequest());
    EXPECT_FALSE(background.LookingUp());
    EXPECT_EQ(fake.sent.back().to, (IpEndpoint{kServerV6, kNtpPort}));
    EXPECT_EQ(fake.lookupsStarted.size(), 2u);
}

TEST_F(BackgroundLookup, AnUnknownNameFailsLateAndAnAbandonedLookUpNeverSends) {
    background.SetServerAddress("no.such.host");
    ASSERT_TRUE(background.Create());
    ASSERT_TRUE(background.SendRequest());
    fake.AdvanceMs(3000);
    EXPECT_FALSE(background.AwaitingReply());
    EXPECT_TRUE(background.SendFailed());
    EXPECT_EQ(deferredSends, std::vector<bool>{false});

    // Given up, or replaced by a second request, a look-up in flight is dropped.
    background.SetServerAddress("dual.test");
    ASSERT_TRUE(background.SendRequest());
    background.Abandon();
    EXPECT_EQ(fake.PendingLookupCount(), 0);
    ASSERT_TRUE(background.SendRequest());
    fake.AdvanceMs(1000);
    ASSERT_TRUE(background.SendRequest());
    EXPECT_EQ(fake.PendingLookupCount(), 1);
    fake.AdvanceMs(2999);
    EXPECT_TRUE(fake.sent.empty());
    fake.AdvanceMs(1);
    EXPECT_EQ(fake.sent.size(), 1u);

    // A resolver that never answers keeps it looking up until the owner gives up.
    fake.lookupsNeverAnswer = true;
    background.Abandon();
    ASSERT_TRUE(background.SendRequest());
    fake.AdvanceMs(600000);
    EXPECT_TRUE(background.LookingUp());
    background.Abandon();
    EXPECT_EQ(fake.PendingLookupCount(), 0);
    EXPECT_EQ(deferredSends, (std::vector<bool>{false, true}));
}

} // namespace
} // namespace hv::testing
