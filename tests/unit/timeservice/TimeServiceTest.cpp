#include "timeservice/PipeSession.h"
#include "timeservice/ServiceConfig.h"
#include "timeservice/TimeService.h"

#include "framework/fake/FakePlatform.h"
#include "sync/NtpTime.h"
#include "sync/SntpTestSupport.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

namespace hv::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr const char* kConfigKey = "HKLM\\Software\\Horvane\\TimeService";
constexpr std::uint32_t kLocalServer = 0x7F000001; // 127.0.0.1

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
    std::int64_t nowMs = 1'000'000; // the service's clock that never steps

    TimeServiceTest() {
        platform.SetNowMicroseconds(MicrosFromUtc(2026, 3, 14, 9, 59, 50, 250'000));
        Set("ApprovedServers", std::string("time.example 127.0.0.1"));
    }

    void Set(const char* name, RegistryValue value) { platform.registry[kConfigKey][name] = std::move(value); }

    std::optional<Bytes> Ask(const std::string& server, TimeService::CallerId caller = 1) {
        return service.OnRequest(caller, EncodeRequest({RequestType::Synchronise, server}), nowMs);
    }

    static ServiceReply Read(const std::optional<Bytes>& message) {
        EXPECT_TRUE(message) << "no reply";
        return ParseReply(message.value_or(Bytes{})).value_or(ServiceReply{});
    }

    std::string LastEntry() const { return journal.entries.empty() ? "" : journal.entries.back().second; }

    // The server answers the last request `delayMicros` after it (half each way) with its
    // clock `offset` seconds ahead; under 1 ms it is a nearby server and the burst ends there.
    void ServerAnswers(double offset, std::int64_t delayMicros = 500, std::uint32_t from = kLocalServer) {
        platform.SetNowMicroseconds(platform.NowMicroseconds() + delayMicros / 2);
        const double now = NtpSecondsFromUnixMicros(platform.NowMicroseconds());
        const NtpPacketBytes reply = ReplyTo(platform.sent.back().bytes, now + offset, now + offset);
        platform.SetNowMicroseconds(platform.NowMicroseconds() + delayMicros / 2);
        nowMs += delayMicros / 1000;
        platform.Deliver(Datagram{{reply.begin(), reply.end()}, {from, kNtpPort}});
    }

    std::optional<TimeService::Answer> PollAfter(std::int64_t ms) {
        nowMs += ms;
        platform.AdvanceMs(ms);
        return service.Poll(nowMs);
    }

    // Polls when the service asks to be polled, as its host does.
    std::optional<TimeService::Answer> PollAtDeadline() { return PollAfter(*service.DeadlineMs() - nowMs); }

    // The reply the exchange ends with after `afterMs`; a failure when it goes on.
    ServiceReply Ended(std::int64_t afterMs = 0) {
        const auto answer = PollAfter(afterMs);
        return Read(answer ? std::optional(answer->reply) : std::nullopt);
    }

    // One exchange with 127.0.0.1 nearby, its clock `offset` seconds ahead.
    ServiceReply Measure(double offset) {
        EXPECT_FALSE(Ask("127.0.0.1"));
        ServerAnswers(offset);
        return Ended();
    }
};

TEST_F(TimeServiceTest, BurstIsMeasuredAndTheClockSetFromItsShortestRoundTrip) {
    EXPECT_FALSE(Ask("127.0.0.1", 7)) << "the answer comes when the exchange ends";
    ServerAnswers(2.52, 40'000);
    EXPECT_FALSE(PollAtDeadline());
    ServerAnswers(2.5, 20'000);
    EXPECT_FALSE(PollAtDeadline()); // the third request goes unanswered
    EXPECT_FALSE(PollAtDeadline());
    ServerAnswers(2.49, 30'000);

    const auto answer = PollAfter(0);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->caller, 7u);
    const ServiceReply reply = Read(answer->reply);
    EXPECT_EQ(std::tuple(reply.status, reply.offsetMicros, reply.samples, reply.server),
              std::tuple(ServiceStatus::Adjusted, 2'500'000, 3u, "127.0.0.1"));
    EXPECT_NEAR(static_cast<double>(reply.delayMicros), 20'000, 5); // each reading of the fake clock costs 1 us
    ASSERT_EQ(platform.systemTimeSets.size(), 1u);
    EXPECT_EQ(platform.systemTimeSets[0].second, 58); // 09:59:56.328 + 2.5 s
    ASSERT_EQ(journal.entries.size(), 2u);
    EXPECT_EQ(journal.entries[0].second,
              "127.0.0.1 answered 3 of 4 requests: #1 delay 0.040 s offset 2.520 s; #2 delay 0.020 s offset 2.500 s; "
              "#4 delay 0.030 s offset 2.490 s; used #2, the shortest round trip.");
    EXPECT_EQ(journal.entries[1].second, "Set the clock by 2.500 s, measured against 127.0.0.1 (delay 0.020 s).");
    // The last result stays to be asked for.
    EXPECT_EQ(Read(service.OnRequest(8, EncodeRequest({RequestType::LastResult, ""}), nowMs)), reply);
}

TEST_F(TimeServiceTest, RefusalsBeforeAnyExchange) {
    // Nothing measured yet; a malformed request's refusal is read end to end.
    EXPECT_EQ(Read(service.OnRequest(1, EncodeRequest({RequestType::LastResult, ""}), nowMs)), ServiceReply{});
    // An unreadable setting is journalled once, and its default used.
    Set("MaxCorrectionSeconds", std::string("ten"));
    for (const TimeService::CallerId caller : {1u, 2u}) {
        EXPECT_EQ(Read(Ask("10.0.0.9", caller)),
                  (ServiceReply{.status = ServiceStatus::NotApproved, .server = "10.0.0.9"}));
    }
    // A revocation refused at once is read end to end; no list approves nothing.
    platform.registry.erase(kConfigKey);
    EXPECT_EQ(Read(Ask("time.example")).status, ServiceStatus::NotApproved);
    // An approved name that leads to this machine.
    platform.hosts["local.example"] = {0x7F000005u}; // 127.0.0.5
    Set("ApprovedServers", std::string("local.example 127.0.0.1"));
    EXPECT_EQ(Read(Ask("local.example")).status, ServiceStatus::LoopbackName);
    EXPECT_TRUE(platform.sent.empty());
    ASSERT_FALSE(journal.entries.empty());
    EXPECT_EQ(journal.entries[0].second, "Settings in the registry: MaxCorrectionSeconds is text that is not a whole "
                                         "number of seconds; the default is used.");
    EXPECT_EQ(journal.entries.size(), 2u) << "once, then the loopback refusal";
}

TEST_F(TimeServiceTest, OneExchangeAtATimeAndNoFlooding) {
    // Three runs the spacing allows at once; each is a whole burst of four requests to a
    // silent server, and counts once.
    int silent = 0;
    for (TimeService::CallerId caller = 1; caller <= 3; ++caller) {
        EXPECT_FALSE(Ask("127.0.0.1", caller));
        while (service.DeadlineMs()) {
            EXPECT_EQ(Read(Ask("127.0.0.1", 9)).status, ServiceStatus::Busy);
            const auto answer = PollAtDeadline();
            if (answer && Read(answer->reply).status == ServiceStatus::NoResponse) ++silent;
        }
    }
    EXPECT_EQ(silent, 3);
    EXPECT_EQ(platform.sent.size(), 12u);
    const ServiceReply tooSoon = Read(Ask("127.0.0.1", 5));
    // A minute after the first, three 8 s bursts ago.
    EXPECT_EQ(std::tuple(tooSoon.status, tooSoon.retryAfterSeconds), std::tuple(ServiceStatus::TooSoon, 36u));
}

TEST_F(TimeServiceTest, CorrectionBeyondTheLimitIsMeasuredButNotMade) {
    Set("MaxCorrectionSeconds", std::uint32_t{10});
    const ServiceReply reply = Measure(-10.5);
    EXPECT_EQ(std::tuple(reply.status, reply.offsetMicros, reply.limitSeconds),
              std::tuple(ServiceStatus::OverLimit, -10'500'000, 10u));
    EXPECT_TRUE(platform.systemTimeSets.empty());
    EXPECT_EQ(LastEntry(),
              "Did not set the clock: 127.0.0.1 (delay 0.001 s) puts it -10.500 s off, more than the limit of 10 s.");
    FakePlatform fresh;
    EXPECT_EQ(LoadServiceConfig(fresh).maxCorrectionSeconds, 54'000u) << "the default: fifteen hours";

    platform.privilegeHeld = false;
    nowMs += 60'000;
    Set("MaxCorrectionSeconds", std::uint32_t{100});
    EXPECT_EQ(Measure(2.5).status, ServiceStatus::ClockRefused);
    EXPECT_TRUE(platform.messageBoxes.empty());
    EXPECT_EQ(journal.entries.back().first, ServiceJournal::Kind::Error);
}

TEST_F(TimeServiceTest, PolicyValuesWinOverTheAdministratorsOwn) {
    auto& policy = platform.registry["HKLM\\Software\\Policies\\Horvane\\TimeService"];
    policy["ApprovedServers"] = std::string("pool.example");
    EXPECT_EQ(Read(Ask("127.0.0.1")).status, ServiceStatus::NotApproved) << "approved locally, not by the policy";
    policy["ApprovedServers"] = std::string("pool.example 127.0.0.1");
    policy["MaxCorrectionSeconds"] = std::uint32_t{2};
    EXPECT_EQ(Measure(3.0).status, ServiceStatus::OverLimit);
    // The subcommands that change the local values never see the policy's.
    const ServiceConfig local = LoadServiceConfig(platform);
    EXPECT_EQ(local.approved.Stored(), "time.example 127.0.0.1");
    EXPECT_FALSE(local.approvedFromPolicy || local.limitFromPolicy);
}

TEST_F(TimeServiceTest, LimitBoundsTheCorrectionsOfAnyTwentyFourHours) {
    Set("MaxCorrectionSeconds", std::uint32_t{100});
    for (const double offset : {40.0, -40.0}) { // each way counts
        EXPECT_EQ(Measure(offset).status, ServiceStatus::Adjusted);
        nowMs += 60'000;
    }
    const ServiceReply refused = Measure(30.0);
    EXPECT_EQ(std::tuple(refused.status, refused.limitSeconds), std::tuple(ServiceStatus::DailyLimit, 100u));
    EXPECT_EQ(platform.systemTimeSets.size(), 2u);
    EXPECT_EQ(LastEntry(), "Did not set the clock: 127.0.0.1 (delay 0.001 s) puts it 30.000 s off; with the 80.000 s "
                           "corrected in the last 24 hours that is more than the limit of 100 s.");
    // A day after the first correction its share is free again: 40 + 30 fits.
    nowMs += 24 * 3'600'000 - 120'000 + 40;
    EXPECT_EQ(Measure(30.0).status, ServiceStatus::Adjusted);
}

TEST_F(TimeServiceTest, StepOverTheThresholdNeedsASecondServerThatAgrees) {
    constexpr std::uint32_t kSecondServer = 0x0A000002;
    platform.hosts["time.example"] = {kSecondServer};
    // The second server's offset, or nothing when it is silent.
    const struct {
        const char* name;
        std::optional<double> second;
        ServiceStatus status;
    } cases[] = {{"agrees within 1 s", 90.9, ServiceStatus::Adjusted},
                 {"disagrees", 88.9, ServiceStatus::NotConfirmed},
                 {"silent", std::nullopt, ServiceStatus::NotConfirmed}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        platform.systemTimeSets.clear();
        Ask("127.0.0.1");
        ServerAnswers(90.0);
        EXPECT_FALSE(PollAfter(0)) << "asks the second server first";
        ASSERT_EQ(platform.sent.back().to, (Ipv4Endpoint{kSecondServer, kNtpPort}));
        if (c.second) ServerAnswers(*c.second, 500, kSecondServer);
        EXPECT_EQ(Ended(c.second ? 0 : TimeService::kSecondOpinionWaitMs).status, c.status);
        EXPECT_EQ(platform.systemTimeSets.size(), c.status == ServiceStatus::Adjusted ? 1u : 0u);
        nowMs += 60'000;
    }
    EXPECT_EQ(LastEntry(), "Did not set the clock: 127.0.0.1 (delay 0.001 s) puts it 90.000 s off, a step of more "
                           "than 60 s, and time.example sent no valid reply in time to confirm it.");

    // Without a second approved server no large step is made; the threshold is the
    // administrators' to move.
    Set("ApprovedServers", std::string("127.0.0.1"));
    EXPECT_EQ(Measure(90.0).status, ServiceStatus::NotConfirmed);
    Set("ConfirmAboveSeconds", std::string("120"));
    nowMs += 60'000;
    EXPECT_EQ(Measure(90.0).status, ServiceStatus::Adjusted);
}

// The host read its clock before the name was resolved and the first request's random bits
// drawn; the next request still leaves two seconds after the first really did.
TEST_F(TimeServiceTest, BurstSpacingCountsFromTheFirstRequestLeaving) {
    constexpr std::uint32_t kRemoteServer = 0xC000020A; // 192.0.2.10
    platform.hosts["time.example"] = {kRemoteServer};
    platform.lookupDelayMs = 300;
    platform.randomBitsMicros = 9'000; // the first draws load the system's random source
    EXPECT_FALSE(Ask("time.example"));
    platform.randomBitsMicros = 0;
    nowMs += 318; // as the host's clock saw the look-up and the draws pass
    ServerAnswers(2.5, 40'000, kRemoteServer);
    EXPECT_FALSE(PollAtDeadline());
    ASSERT_EQ(platform.sent.size(), 2u);
    EXPECT_GE(platform.sent[1].sentAtMicros - platform.sent[0].sentAtMicros, 2'000'000);
}

TEST(ServiceConfig, StoredSecondsAreReadInBothFormsAndClamped) {
    // An absent value and a plain number are every service test's.
    const struct {
        const char* name;
        RegistryValue stored;
        std::optional<std::uint32_t> seconds;
    } cases[] = {
        {"text with spaces", std::string(" 3600 "), 3600u}, // text as reg add writes it: end to end
        {"zero", std::uint32_t{0}, 1u},
        {"largest dword", std::uint32_t{4'294'967'295u}, 31'622'400u},
        {"huge text", std::string("99999999999999999999999"), 31'622'400u},
        {"empty text", std::string(""), std::nullopt},
    };
    for (const auto& c : cases) {
        const StoredSeconds read = ReadStoredSeconds(c.stored, "MaxCorrectionSeconds");
        EXPECT_EQ(read.seconds, c.seconds) << c.name;
        EXPECT_EQ(read.problem.empty(), c.seconds == 3600u) << c.name; // a value changed or unread is said
    }
}

TEST(ServiceConfig, FirstInstallIsTheOneWithoutAListOrItsMark) {
    FakePlatform platform;
    EXPECT_FALSE(DefaultsApprovedBefore(platform));
    ASSERT_TRUE(SaveApprovedServers(platform, {}).Ok()); // everything revoked is still a list
    EXPECT_TRUE(DefaultsApprovedBefore(platform));
    FakePlatform marked;
    ASSERT_TRUE(MarkDefaultsApproved(marked).Ok());
    EXPECT_TRUE(DefaultsApprovedBefore(marked));
}

// One instance of the pipe, driven as the host drives it, against the service on the fake.
class PipeSessionTest : public TimeServiceTest {
protected:
    PipeSession session;
    Bytes request = EncodeRequest({RequestType::Synchronise, "127.0.0.1"});

    PipeSessionTest() { session.Listening(); }

    PipeSession::Step Receive(std::span<const std::uint8_t> bytes, bool truncated = false) {
        return session.Received(bytes, truncated, service, nowMs);
    }
};

TEST_F(PipeSessionTest, RequestAnsweredWhenTheExchangeEndsThenDrainedUntilTheCallerLeaves) {
    EXPECT_EQ(session.Connected(7, nowMs), PipeSession::Step::Read);
    EXPECT_EQ(session.DeadlineMs(), nowMs + 2000);
    EXPECT_EQ(Receive(request), PipeSession::Step::Read) << "a read stays pending to notice a hang-up";
    EXPECT_FALSE(session.DeadlineMs()) << "the exchange has its own deadline";

    ServerAnswers(0.5);
    const auto answer = PollAfter(0);
    ASSERT_TRUE(answer);
    EXPECT_EQ(session.Deliver({8, answer->reply}, nowMs), PipeSession::Step::None) << "another caller's";
    EXPECT_EQ(session.Deliver(*answer, nowMs), PipeSession::Step::Write);
    EXPECT_EQ(session.Reply(), answer->reply);
    EXPECT_EQ(session.Written(), PipeSession::Step::Read);
    EXPECT_EQ(Receive(request), PipeSession::Step::Read) << "more after the reply is dropped";
    EXPECT_EQ(session.Expire(service, nowMs + 4999), PipeSession::Step::None);
    EXPECT_EQ(session.Expire(service, nowMs + 5000), PipeSession::Step::Hangup);
    EXPECT_EQ(session.CurrentState(), PipeSession::State::Connecting) << "the instance is reused";
    EXPECT_EQ(platform.sent.size(), 1u);
}

// The parser's refusals are its own tests'; here, a message the buffer cut short.
TEST_F(PipeSessionTest, TruncatedRequestIsRefusedAsTooLongNeverTakenForItsStart) {
    session.Connected(1, nowMs);
    ASSERT_EQ(Receive(request, true), PipeSession::Step::Write);
    EXPECT_EQ(*ParseReply(session.Reply()),
              (ServiceReply{.status = ServiceStatus::Malformed, .fault = RequestFault::TooLong, .server = ""}));
    EXPECT_TRUE(platform.sent.empty());
}

TEST_F(PipeSessionTest, CallerWhoHangsUpSpeaksOutOfTurnOrStaysSilentIsDropped) {
    // Silent after connecting: dropped at the request deadline.
    session.Connected(1, nowMs);
    EXPECT_EQ(session.Expire(service, nowMs + 2000), PipeSession::Step::Hangup);

    // Gone, or talking, mid-exchange: the exchange is given up and the clock left alone.
    for (const bool talks : {false, true}) {
        session.Connected(2, nowMs);
        Receive(request);
        service.OnCallerGone(3); // another caller's hang-up changes nothing
        ASSERT_TRUE(service.DeadlineMs());
        EXPECT_EQ(talks ? Receive(request) : session.Broken(service), PipeSession::Step::Hangup) << talks;
        EXPECT_FALSE(service.DeadlineMs()) << talks;
        nowMs += 60'000;
    }
    ServerAnswers(2.5);
    EXPECT_FALSE(PollAfter(0));
    EXPECT_TRUE(platform.systemTimeSets.empty());
}

} // namespace
} // namespace hv::testing
