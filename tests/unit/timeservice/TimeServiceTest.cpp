#include "timeservice/ServiceConfig.h"
#include "timeservice/TimeService.h"

#include "framework/fake/FakePlatform.h"
#include "sync/NtpTime.h"
#include "sync/SntpTestSupport.h"

#include <gtest/gtest.h>

#include <utility>

namespace hv {
namespace {

constexpr const char* kConfigKey = "HKLM\\Software\\Horvane\\TimeService";
constexpr std::uint32_t kLocalServer = 0x7F000001;  // 127.0.0.1

struct RecordedJournal final : ServiceJournal {
    std::vector<std::pair<Kind, std::string>> entries;
    void Write(Kind kind, std::string_view text) override { entries.emplace_back(kind, text); }
};

// The service on the fake machine, with 127.0.0.1 approved and the default limit.
class TimeServiceTest : public ::testing::Test {
protected:
    FakePlatform platform;
    RecordedJournal journal;
    TimeService service{platform, journal};
    std::int64_t nowMs = 1'000'000;  // the service's clock that never steps

    TimeServiceTest() {
        platform.SetNowMicroseconds(MicrosFromUtc(2026, 3, 14, 9, 59, 50, 250'000));
        platform.registry[kConfigKey]["ApprovedServers"] = std::string("time.example 127.0.0.1");
    }

    std::optional<std::vector<std::uint8_t>> Ask(const std::string& server, TimeService::CallerId caller = 1) {
        return service.OnRequest(caller, EncodeRequest({RequestType::Synchronise, server}), nowMs);
    }

    static ServiceReply Read(const std::optional<std::vector<std::uint8_t>>& message) {
        EXPECT_TRUE(message);
        return ParseReply(message.value_or(std::vector<std::uint8_t>{})).value_or(ServiceReply{});
    }

    // The server answers 20 ms after the request with its clock `offset` seconds ahead.
    void ServerAnswers(double offset) {
        platform.AdvanceMs(10);
        const double now = NtpSecondsFromUnixMicros(platform.NowMicroseconds());
        const NtpPacketBytes reply = test::ReplyTo(platform.sent.back().bytes, now + offset, now + offset);
        platform.AdvanceMs(10);
        nowMs += 20;
        platform.Deliver(Datagram{{reply.begin(), reply.end()}, {kLocalServer, kNtpPort}});
    }

    std::optional<TimeService::Answer> PollAfter(std::int64_t ms) {
        nowMs += ms;
        return service.Poll(nowMs);
    }
};

TEST_F(TimeServiceTest, ApprovedServerIsMeasuredAndTheClockSetFromTheMeasurement) {
    EXPECT_FALSE(Ask("127.0.0.1", 7)) << "the answer comes when the exchange ends";
    ASSERT_EQ(platform.sent.size(), 1u);
    EXPECT_EQ(platform.sent[0].to, (IpEndpoint{kLocalServer, kNtpPort}));
    EXPECT_FALSE(PollAfter(0));

    ServerAnswers(2.5);
    const auto answer = PollAfter(0);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->caller, 7u);
    const ServiceReply reply = *ParseReply(answer->reply);
    EXPECT_EQ(reply.status, ServiceStatus::Adjusted);
    EXPECT_NEAR(static_cast<double>(reply.delayMicros), 20'000, 5);  // each reading of the fake clock costs 1 us
    EXPECT_EQ(reply.offsetMicros, 2'500'000);
    EXPECT_EQ(reply.server, "127.0.0.1");
    ASSERT_EQ(platform.systemTimeSets.size(), 1u);
    EXPECT_EQ(platform.systemTimeSets[0].second, 52);  // 09:59:50.270 + 2.5 s
    EXPECT_TRUE(platform.messageBoxes.empty()) << "a service has no one to show a box to";
    ASSERT_EQ(journal.entries.size(), 1u);
    EXPECT_EQ(journal.entries[0].second, "Set the clock by 2.500 s, measured against 127.0.0.1 (delay 0.020 s).");

    // The last result stays to be asked for.
    EXPECT_EQ(Read(service.OnRequest(8, EncodeRequest({RequestType::LastResult, ""}), nowMs)), reply);
}

TEST_F(TimeServiceTest, RefusalsBeforeAnyExchange) {
    EXPECT_EQ(Read(service.OnRequest(1, EncodeRequest({RequestType::LastResult, ""}), nowMs)).status,
              ServiceStatus::NoResult);
    const ServiceReply notApproved = Read(Ask("10.0.0.9"));
    EXPECT_EQ(notApproved.status, ServiceStatus::NotApproved);
    EXPECT_EQ(notApproved.server, "10.0.0.9");
    const std::uint8_t versionTwo[] = {'H', 'V', 'T', 'S', 2, 1, 0, 0};
    const ServiceReply malformed = Read(service.OnRequest(1, versionTwo, nowMs));
    EXPECT_EQ(malformed.status, ServiceStatus::Malformed);
    EXPECT_EQ(malformed.fault, RequestFault::UnknownVersion);
    EXPECT_TRUE(platform.sent.empty());

    // Approvals are read afresh: a server revoked a moment ago is refused now.
    platform.registry[kConfigKey]["ApprovedServers"] = std::string("time.example");
    EXPECT_EQ(Read(Ask("127.0.0.1")).status, ServiceStatus::NotApproved);
    platform.registry.erase(kConfigKey);
    EXPECT_EQ(Read(Ask("time.example")).status, ServiceStatus::NotApproved) << "no list approves nothing";
    EXPECT_TRUE(platform.sent.empty());
    EXPECT_TRUE(journal.entries.empty());
}

TEST_F(TimeServiceTest, OneExchangeAtATimeAndNoFlooding) {
    for (TimeService::CallerId caller = 1; caller <= 3; ++caller) {  // the burst the spacing allows
        EXPECT_FALSE(Ask("127.0.0.1", caller));
        if (caller == 1) {
            EXPECT_EQ(Read(Ask("127.0.0.1", 9)).status, ServiceStatus::Busy);
        }
        ServerAnswers(0.0);
        ASSERT_TRUE(PollAfter(0));
    }
    const ServiceReply tooSoon = Read(Ask("127.0.0.1", 5));
    EXPECT_EQ(tooSoon.status, ServiceStatus::TooSoon);
    EXPECT_EQ(tooSoon.retryAfterSeconds, 60u);
    EXPECT_EQ(platform.sent.size(), 3u);
}

TEST_F(TimeServiceTest, CorrectionBeyondTheLimitIsMeasuredButNotMade) {
    platform.registry[kConfigKey]["MaxCorrectionSeconds"] = std::uint32_t{10};
    Ask("127.0.0.1");
    ServerAnswers(-10.5);
    const ServiceReply reply = *ParseReply(PollAfter(0)->reply);
    EXPECT_EQ(reply.status, ServiceStatus::OverLimit);
    EXPECT_EQ(reply.offsetMicros, -10'500'000);
    EXPECT_EQ(reply.limitSeconds, 10u);
    EXPECT_TRUE(platform.systemTimeSets.empty());
    EXPECT_EQ(journal.entries.back().second,
              "Did not set the clock: 127.0.0.1 (delay 0.020 s) puts it -10.500 s off, more than the limit of 10 s.");
    // The default: fifteen hours.
    FakePlatform fresh;
    EXPECT_EQ(LoadServiceConfig(fresh).maxCorrectionSeconds, 54'000u);
}

TEST_F(TimeServiceTest, SilentServerAndRefusedPrivilegeAreAnsweredInPlainStatus) {
    Ask("127.0.0.1");
    EXPECT_FALSE(PollAfter(7999));
    const auto silent = PollAfter(1);
    ASSERT_TRUE(silent);
    EXPECT_EQ(ParseReply(silent->reply)->status, ServiceStatus::NoResponse);

    platform.privilegeHeld = false;
    nowMs += 60'000;
    Ask("127.0.0.1");
    ServerAnswers(2.5);
    EXPECT_EQ(ParseReply(PollAfter(0)->reply)->status, ServiceStatus::ClockRefused);
    EXPECT_TRUE(platform.messageBoxes.empty());
    EXPECT_EQ(journal.entries.back().first, ServiceJournal::Kind::Error);
}

TEST_F(TimeServiceTest, CallerWhoHangsUpGivesTheExchangeUp) {
    Ask("127.0.0.1", 3);
    service.OnCallerGone(4);  // someone else: nothing changes
    EXPECT_TRUE(service.DeadlineMs());
    service.OnCallerGone(3);
    EXPECT_FALSE(service.DeadlineMs());
    ServerAnswers(2.5);
    EXPECT_FALSE(PollAfter(0));
    EXPECT_TRUE(platform.systemTimeSets.empty());
}

} // namespace
} // namespace hv
