#include "timeservice/PipeSession.h"
#include "timeservice/ServiceConfig.h"
#include "timeservice/TimeService.h"

#include "framework/fake/FakePlatform.h"
#include "sync/NtpTime.h"
#include "sync/SntpTestSupport.h"

#include <gtest/gtest.h>

#include <utility>

namespace hv::testing {
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

    // The server answers the last request `delayMs` after it (half each way) with its clock
    // `offset` seconds ahead; under 1 ms it is a nearby server and the burst ends there.
    void ServerAnswers(double offset, std::int64_t delayMicros = 500, std::uint32_t from = kLocalServer) {
        platform.SetNowMicroseconds(platform.NowMicroseconds() + delayMicros / 2);
        const double now = NtpSecondsFromUnixMicros(platform.NowMicroseconds());
        const NtpPacketBytes reply = ReplyTo(platform.sent.back().bytes, now + offset, now + offset);
        platform.SetNowMicroseconds(platform.NowMicroseconds() + delayMicros / 2);
        nowMs += delayMicros / 1000;
        platform.Deliver(Datagram{{reply.begin(), reply.end()}, {from, kNtpPort}});
    }

    ServiceStatus AnsweredStatus(std::int64_t afterMs = 0) {
        const auto answer = PollAfter(afterMs);
        EXPECT_TRUE(answer);
        return answer ? ParseReply(answer->reply).value_or(ServiceReply{}).status : ServiceStatus::NoResult;
    }

    std::optional<TimeService::Answer> PollAfter(std::int64_t ms) {
        nowMs += ms;
        platform.AdvanceMs(ms);
        return service.Poll(nowMs);
    }

    // The reply the exchange ends with now; nothing and a failure when it goes on.
    ServiceReply Ended() {
        const auto answer = PollAfter(0);
        EXPECT_TRUE(answer) << "the exchange goes on";
        return answer ? ParseReply(answer->reply).value_or(ServiceReply{}) : ServiceReply{};
    }

    // Polls when the service asks to be polled, as its host does.
    std::optional<TimeService::Answer> PollAtDeadline() { return PollAfter(*service.DeadlineMs() - nowMs); }
};

TEST_F(TimeServiceTest, BurstIsMeasuredAndTheClockSetFromItsShortestRoundTrip) {
    EXPECT_FALSE(Ask("127.0.0.1", 7)) << "the answer comes when the exchange ends";
    ASSERT_EQ(platform.sent.size(), 1u);
    EXPECT_EQ(platform.sent[0].to, (IpEndpoint{kLocalServer, kNtpPort}));
    EXPECT_FALSE(PollAfter(0));
    ServerAnswers(2.52, 40'000);
    EXPECT_FALSE(PollAtDeadline());
    ServerAnswers(2.5, 20'000);
    EXPECT_FALSE(PollAtDeadline());  // the third request goes unanswered
    EXPECT_FALSE(PollAtDeadline());
    ASSERT_EQ(platform.sent.size(), 4u);
    EXPECT_EQ(nowMs, 1'006'048) << "requests two seconds (and a tick) apart";
    ServerAnswers(2.49, 30'000);

    const auto answer = PollAfter(0);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->caller, 7u);
    const ServiceReply reply = *ParseReply(answer->reply);
    EXPECT_EQ(reply.status, ServiceStatus::Adjusted);
    EXPECT_NEAR(static_cast<double>(reply.delayMicros), 20'000, 5);  // each reading of the fake clock costs 1 us
    EXPECT_EQ(reply.offsetMicros, 2'500'000);
    EXPECT_EQ(reply.samples, 3u);
    EXPECT_EQ(reply.server, "127.0.0.1");
    ASSERT_EQ(platform.systemTimeSets.size(), 1u);
    EXPECT_EQ(platform.systemTimeSets[0].second, 58);  // 09:59:56.328 + 2.5 s
    EXPECT_TRUE(platform.messageBoxes.empty()) << "a service has no one to show a box to";
    ASSERT_EQ(journal.entries.size(), 2u);
    EXPECT_EQ(journal.entries[0].second,
              "127.0.0.1 answered 3 of 4 requests: #1 delay 0.040 s offset 2.520 s; #2 delay 0.020 s offset 2.500 s; "
              "#4 delay 0.030 s offset 2.490 s; used #2, the shortest round trip.");
    EXPECT_EQ(journal.entries[1].second, "Set the clock by 2.500 s, measured against 127.0.0.1 (delay 0.020 s).");

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
    // Three runs the spacing allows at once; each is a whole burst of four requests to a
    // silent server, and counts once.
    for (TimeService::CallerId caller = 1; caller <= 3; ++caller) {
        EXPECT_FALSE(Ask("127.0.0.1", caller));
        while (service.DeadlineMs()) {
            EXPECT_EQ(Read(Ask("127.0.0.1", 9)).status, ServiceStatus::Busy);
            PollAtDeadline();
        }
    }
    EXPECT_EQ(platform.sent.size(), 12u);
    const ServiceReply tooSoon = Read(Ask("127.0.0.1", 5));
    EXPECT_EQ(tooSoon.status, ServiceStatus::TooSoon);
    EXPECT_EQ(tooSoon.retryAfterSeconds, 36u);  // a minute after the first, which was 24 s ago
}

TEST_F(TimeServiceTest, CorrectionBeyondTheLimitIsMeasuredButNotMade) {
    platform.registry[kConfigKey]["MaxCorrectionSeconds"] = std::uint32_t{10};
    Ask("127.0.0.1");
    ServerAnswers(-10.5);
    const ServiceReply reply = Ended();
    EXPECT_EQ(reply.status, ServiceStatus::OverLimit);
    EXPECT_EQ(reply.offsetMicros, -10'500'000);
    EXPECT_EQ(reply.limitSeconds, 10u);
    EXPECT_TRUE(platform.systemTimeSets.empty());
    ASSERT_FALSE(journal.entries.empty());
    EXPECT_EQ(journal.entries.back().second,
              "Did not set the clock: 127.0.0.1 (delay 0.001 s) puts it -10.500 s off, more than the limit of 10 s.");
    // The default: fifteen hours.
    FakePlatform fresh;
    EXPECT_EQ(LoadServiceConfig(fresh).maxCorrectionSeconds, 54'000u);
}

TEST_F(TimeServiceTest, PolicyValuesWinOverTheAdministratorsOwn) {
    constexpr const char* kPolicyKey = "HKLM\\Software\\Policies\\Horvane\\TimeService";
    platform.registry[kPolicyKey]["ApprovedServers"] = std::string("pool.example");
    EXPECT_EQ(Read(Ask("127.0.0.1")).status, ServiceStatus::NotApproved) << "approved locally, not by the policy";
    platform.registry[kPolicyKey]["ApprovedServers"] = std::string("pool.example 127.0.0.1");
    platform.registry[kPolicyKey]["MaxCorrectionSeconds"] = std::uint32_t{2};
    Ask("127.0.0.1");
    ServerAnswers(3.0);
    EXPECT_EQ(ParseReply(PollAfter(0)->reply)->status, ServiceStatus::OverLimit);
    // The subcommands that change the local values never see the policy's.
    const ServiceConfig local = LoadServiceConfig(platform);
    EXPECT_EQ(local.approved.Stored(), "time.example 127.0.0.1");
    EXPECT_FALSE(local.approvedFromPolicy || local.limitFromPolicy);
}

TEST_F(TimeServiceTest, SilentServerAndRefusedPrivilegeAreAnsweredInPlainStatus) {
    Ask("127.0.0.1");
    for (int request = 2; request <= 4; ++request) EXPECT_FALSE(PollAtDeadline());
    EXPECT_EQ(service.DeadlineMs(), 1'008'000) << "the whole burst within the service's 8 s";
    EXPECT_FALSE(PollAfter(1'007'999 - nowMs));
    const auto silent = PollAfter(1);
    ASSERT_TRUE(silent);
    EXPECT_EQ(ParseReply(silent->reply)->status, ServiceStatus::NoResponse);

    platform.privilegeHeld = false;
    nowMs += 60'000;
    Ask("127.0.0.1");
    ServerAnswers(2.5);
    EXPECT_EQ(Ended().status, ServiceStatus::ClockRefused);
    EXPECT_TRUE(platform.messageBoxes.empty());
    ASSERT_FALSE(journal.entries.empty());
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

TEST_F(TimeServiceTest, LimitBoundsTheCorrectionsOfAnyTwentyFourHours) {
    platform.registry[kConfigKey]["MaxCorrectionSeconds"] = std::uint32_t{100};
    for (const double offset : {40.0, -40.0}) {  // each way counts
        Ask("127.0.0.1");
        ServerAnswers(offset);
        EXPECT_EQ(AnsweredStatus(), ServiceStatus::Adjusted);
        nowMs += 60'000;
    }
    Ask("127.0.0.1");
    ServerAnswers(30.0);
    const ServiceReply refused = *ParseReply(PollAfter(0)->reply);
    EXPECT_EQ(refused.status, ServiceStatus::DailyLimit);
    EXPECT_EQ(refused.limitSeconds, 100u);
    EXPECT_EQ(platform.systemTimeSets.size(), 2u);
    EXPECT_EQ(journal.entries.back().second,
              "Did not set the clock: 127.0.0.1 (delay 0.001 s) puts it 30.000 s off; with the 80.000 s corrected in "
              "the last 24 hours that is more than the limit of 100 s.");

    // A day after the first correction its share is free again: 40 + 30 fits.
    nowMs += 24 * 3'600'000 - 120'000 + 40;
    Ask("127.0.0.1");
    ServerAnswers(30.0);
    EXPECT_EQ(AnsweredStatus(), ServiceStatus::Adjusted);
}

TEST_F(TimeServiceTest, StepOverTheThresholdNeedsASecondServerThatAgrees) {
    constexpr std::uint32_t kSecondServer = 0x0A000002;
    platform.hosts["time.example"] = {kSecondServer};
    struct Case {
        std::optional<double> second;  // the second server's offset; nothing when it is silent
        ServiceStatus status;
    };
    const Case cases[] = {{90.9, ServiceStatus::Adjusted}, {88.9, ServiceStatus::NotConfirmed},
                          {std::nullopt, ServiceStatus::NotConfirmed}};
    for (const Case& c : cases) {
        platform.systemTimeSets.clear();
        Ask("127.0.0.1");
        ServerAnswers(90.0);
        EXPECT_FALSE(PollAfter(0)) << "asks the second server first";
        ASSERT_EQ(platform.sent.back().to, (Ipv4Endpoint{kSecondServer, kNtpPort}));
        if (c.second) ServerAnswers(*c.second, 500, kSecondServer);
        EXPECT_EQ(AnsweredStatus(c.second ? 0 : TimeService::kExchangeWaitMs), c.status);
        EXPECT_EQ(platform.systemTimeSets.size(), c.status == ServiceStatus::Adjusted ? 1u : 0u);
        nowMs += 60'000;
    }
    EXPECT_EQ(journal.entries.back().second,
              "Did not set the clock: 127.0.0.1 (delay 0.001 s) puts it 90.000 s off, a step of more than 60 s, and "
              "time.example sent no valid reply in time to confirm it.");

    // Without a second approved server no large step is made; the threshold is the
    // administrators' to move.
    platform.registry[kConfigKey]["ApprovedServers"] = std::string("127.0.0.1");
    Ask("127.0.0.1");
    ServerAnswers(90.0);
    EXPECT_EQ(AnsweredStatus(), ServiceStatus::NotConfirmed);
    platform.registry[kConfigKey]["ConfirmAboveSeconds"] = std::string("120");
    nowMs += 60'000;
    Ask("127.0.0.1");
    ServerAnswers(90.0);
    EXPECT_EQ(AnsweredStatus(), ServiceStatus::Adjusted);
}

// The host read its clock before the name was resolved; the next request still leaves two
// seconds after the first really did.
TEST_F(TimeServiceTest, BurstSpacingCountsFromTheFirstRequestLeaving) {
    constexpr std::uint32_t kRemoteServer = 0xC000020A;  // 192.0.2.10
    platform.hosts["time.example"] = {kRemoteServer};
    platform.lookupDelayMs = 300;
    EXPECT_FALSE(Ask("time.example"));
    nowMs += 300;  // as the host's clock saw the look-up pass
    ServerAnswers(2.5, 40'000, kRemoteServer);
    EXPECT_FALSE(PollAtDeadline());
    ASSERT_EQ(platform.sent.size(), 2u);
    EXPECT_GE(platform.sent[1].sentAtMicros - platform.sent[0].sentAtMicros, 2'000'000);
}

TEST_F(TimeServiceTest, NamesLeadingToThisMachineAreRefused) {
    platform.hosts["local.example"] = {0x7F000005u};  // 127.0.0.5
    platform.registry[kConfigKey]["ApprovedServers"] = std::string("local.example 127.0.0.1");
    EXPECT_EQ(Read(Ask("local.example")).status, ServiceStatus::LoopbackName);
    EXPECT_TRUE(platform.sent.empty());
}

TEST(ServiceConfig, StoredSecondsAreReadInBothFormsAndClamped) {
    struct Case {
        std::optional<RegistryValue> stored;
        std::optional<std::uint32_t> seconds;
        bool problem;
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt, false},
        {std::uint32_t{3600}, 3600u, false},
        {std::string("3600"), 3600u, false},  // what "reg add" writes by default
        {std::string(" 3600 "), 3600u, false},
        {std::uint32_t{0}, 1u, true},
        {std::uint32_t{4'294'967'295u}, 31'622'400u, true},
        {std::string("99999999999999999999999"), 31'622'400u, true},
        {std::string("1h"), std::nullopt, true},
        {std::string("-5"), std::nullopt, true},
        {std::string(""), std::nullopt, true},
    };
    for (const Case& c : cases) {
        const StoredSeconds read = ReadStoredSeconds(c.stored, "MaxCorrectionSeconds");
        EXPECT_EQ(read.seconds, c.seconds) << read.problem;
        EXPECT_EQ(!read.problem.empty(), c.problem) << read.problem;
    }
    EXPECT_EQ(ReadStoredSeconds(std::uint32_t{0}, "MaxCorrectionSeconds").problem,
              "MaxCorrectionSeconds 0 is outside 1 to 31622400; 1 is used.");
}

TEST(ServiceConfig, FirstInstallIsTheOneWithoutAListOrItsMark) {
    FakePlatform platform;
    EXPECT_FALSE(DefaultsApprovedBefore(platform));
    ASSERT_TRUE(SaveApprovedServers(platform, {}));  // everything revoked is still a list
    EXPECT_TRUE(DefaultsApprovedBefore(platform));
    FakePlatform marked;
    ASSERT_TRUE(MarkDefaultsApproved(marked));
    EXPECT_TRUE(DefaultsApprovedBefore(marked));
}

TEST_F(TimeServiceTest, UnreadableSettingIsJournalledOnceAndTheDefaultUsed) {
    platform.registry[kConfigKey]["MaxCorrectionSeconds"] = std::string("ten");
    EXPECT_EQ(Read(Ask("10.0.0.9", 1)).status, ServiceStatus::NotApproved);
    EXPECT_EQ(Read(Ask("10.0.0.9", 2)).status, ServiceStatus::NotApproved);
    ASSERT_EQ(journal.entries.size(), 1u);
    EXPECT_EQ(journal.entries[0].second, "Settings in the registry: MaxCorrectionSeconds is text that is not a whole "
                                         "number of seconds; the default is used.");
}

// One instance of the pipe, driven as the host drives it, against the service on the fake.
class PipeSessionTest : public TimeServiceTest {
protected:
    PipeSession session;
    std::vector<std::uint8_t> request = EncodeRequest({RequestType::Synchronise, "127.0.0.1"});

    PipeSessionTest() { session.Listening(); }

    PipeSession::Step Receive(std::span<const std::uint8_t> bytes, bool truncated = false) {
        return session.Received(bytes, truncated, service, nowMs);
    }
};

TEST_F(PipeSessionTest, RequestAnsweredWhenTheExchangeEndsThenDrainedUntilTheCallerLeaves) {
    EXPECT_EQ(session.Connected(7, nowMs), PipeSession::Step::Read);
    EXPECT_EQ(session.DeadlineMs(), nowMs + 2000);
    EXPECT_EQ(Receive(request), PipeSession::Step::Read) << "a read stays pending to notice a hang-up";
    EXPECT_EQ(session.CurrentState(), PipeSession::State::AwaitingExchange);
    EXPECT_FALSE(session.DeadlineMs()) << "the exchange has its own deadline";

    ServerAnswers(0.5);
    const auto answer = PollAfter(0);
    ASSERT_TRUE(answer);
    EXPECT_EQ(session.Deliver({8, answer->reply}, nowMs), PipeSession::Step::None) << "another caller's";
    EXPECT_EQ(session.Deliver(*answer, nowMs), PipeSession::Step::Write);
    EXPECT_EQ(session.Reply(), answer->reply);
    EXPECT_EQ(session.DeadlineMs(), nowMs + 5000);
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
    const ServiceReply reply = *ParseReply(session.Reply());
    EXPECT_EQ(reply.status, ServiceStatus::Malformed);
    EXPECT_EQ(reply.fault, RequestFault::TooLong);
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
        ASSERT_TRUE(service.DeadlineMs());
        EXPECT_EQ(talks ? Receive(request) : session.Broken(service), PipeSession::Step::Hangup);
        EXPECT_FALSE(service.DeadlineMs());
        nowMs += 60'000;
    }
    ServerAnswers(2.5);
    EXPECT_FALSE(PollAfter(0));
    EXPECT_TRUE(platform.systemTimeSets.empty());
}

} // namespace
} // namespace hv::testing
