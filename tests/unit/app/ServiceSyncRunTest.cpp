#include "app/MainFrameFixture.h"
#include "app/TimerIds.h"

namespace hv::testing {
namespace {

// The pipe to the time service as the tray program sees it, with the service's answer
// scripted by the test.
class FakeServiceLink final : public TimeServiceLink {
public:
    Opened opensAs = Opened::Connected;
    std::vector<std::vector<std::uint8_t>> requests;
    std::optional<std::vector<std::uint8_t>> reply;
    bool open = false;

    Opened Open() override {
        open = opensAs == Opened::Connected;
        return opensAs;
    }
    bool Send(std::span<const std::uint8_t> message) override {
        requests.emplace_back(message.begin(), message.end());
        return true;
    }
    Poll PollReply() override { return reply ? Poll{Poll::State::Arrived, *reply} : Poll{}; }
    void Close() override { open = false; }

    void Answer(ServiceStatus status, std::int64_t offsetMicros = 0, std::uint8_t samples = 1) {
        reply = EncodeReply({.status = status,
                             .delayMicros = 20'000,
                             .offsetMicros = offsetMicros,
                             .limitSeconds = 54000,
                             .retryAfterSeconds = 37,
                             .samples = samples,
                             .server = "127.0.0.1"});
    }
};

class ServiceSyncRunTest : public SyncRunFixture {
protected:
    FakeServiceLink service;

    void SetUp() override {
        timeService = &service;
        SyncRunFixture::SetUp();
    }
};

TEST_F(ServiceSyncRunTest, RunThroughTheServiceWritesTheSameTextsAsOurOwn) {
    EXPECT_TRUE(frame->OnCopyData(kCodeStartSync));
    ASSERT_EQ(service.requests.size(), 1u);
    EXPECT_EQ(ParseRequest(service.requests[0]).request, (ServiceRequest{RequestType::Synchronise, "127.0.0.1"}));
    EXPECT_TRUE(platform.sent.empty()) << "the program measures nothing itself";

    platform.AdvanceMs(500);
    service.Answer(ServiceStatus::Adjusted, 2'500'000, 4);
    platform.SetNowMicroseconds(platform.NowMicroseconds() + 2'500'000); // the service's step
    platform.AdvanceMs(500);
    EXPECT_EQ(Log(), "C09:59:50 03-14-2026):Succed to Send Request Data to 127.0.0.1!\r\n"
                     "C09:59:53 03-14-2026):Net delay:0.020 sec,localtime off:2.500 sec (best of 4).\r\n"
                     "C09:59:53 03-14-2026):Complete to adjust time,adjust size:2.500sec.\r\n");
    EXPECT_EQ(BarStatuses(), (std::vector<std::uintptr_t>{1, 0}));
    EXPECT_FALSE(service.open);
}

// The service finding the clock right already is a run that succeeded; a refusal ends as a
// failed run in plain words.
TEST_F(ServiceSyncRunTest, EachAnswerEndsTheRunAsItsStatusSays) {
    const std::string at = "09:59:51 03-14-2026):";
    const struct Case {
        ServiceStatus status;
        std::int64_t offsetMicros;
        std::string entries; // after the request entry
        std::uintptr_t barStatus;
    } cases[] = {
        {ServiceStatus::Measured, 1'000, "C" + at + "Net delay:0.020 sec,localtime off:0.001 sec.\r\n", 0},
        {ServiceStatus::NotApproved, 0,
         "E" + at +
             "The time service refused 127.0.0.1: it is not an approved server (an administrator can "
             "approve it with \"HorvaneTime approve 127.0.0.1\").\r\n",
         2},
        {ServiceStatus::TooSoon, 0,
         "E" + at +
             "The time service refused: synchronisations came too close together; it takes the next one "
             "in 37 seconds.\r\n",
         2},
        {ServiceStatus::OverLimit, -60'000'000'000,
         "C" + at + "Net delay:0.020 sec,localtime off:-60000.000 sec.\r\nE" + at +
             "The time service did not set the clock: a correction of -60000.000 sec is more than its limit of "
             "54000 sec.\r\n",
         2},
    };
    const std::int64_t start = platform.NowMicroseconds();
    for (const Case& c : cases) {
        platform.SetNowMicroseconds(start);
        bar->received.clear();
        const std::string log = Log();
        frame->OnCopyData(kCodeStartSync);
        service.Answer(c.status, c.offsetMicros);
        platform.AdvanceMs(1000);
        const std::string entries = LogSince(log);
        EXPECT_EQ(entries.substr(entries.find("\r\n") + 2), c.entries);
        EXPECT_EQ(BarStatuses(), (std::vector<std::uintptr_t>{1, c.barStatus})) << c.entries;
        service.reply.reset();
    }
    // The companion hears why, under a stamp line.
    EXPECT_EQ(sync->received.back().text.find("(09:59:51 03-14-2026):\r\nNet delay:0.020 sec,"), 0u);
    EXPECT_NE(sync->received.back().text.find("\r\n(09:59:51 03-14-2026):\r\nThe time service did not set"),
              std::string::npos);
    EXPECT_TRUE(platform.systemTimeSets.empty());
}

TEST_F(ServiceSyncRunTest, SilentServerIsTheUsualTimeOutAndASilentServiceIsSaidSo) {
    frame->OnCopyData(kCodeStartSync);
    platform.AdvanceMs(8000);
    service.Answer(ServiceStatus::NoResponse);
    platform.AdvanceMs(1999);
    EXPECT_EQ(BarStatuses(), std::vector<std::uintptr_t>{1}) << "the run waits for its own time-out";
    platform.AdvanceMs(1);
    EXPECT_NE(Log().find("E10:00:00 03-14-2026):127.0.0.1 doesn't send response data back!\r\n"), std::string::npos);

    service.reply.reset();
    const std::string log = Log();
    frame->OnCopyData(kCodeStartSync);
    platform.AdvanceMs(10000);
    EXPECT_EQ(LogSince(log), "C10:00:00 03-14-2026):Succed to Send Request Data to 127.0.0.1!\r\n"
                             "E10:00:10 03-14-2026):The time service did not answer within 10 seconds.\r\n");
    EXPECT_EQ(sync->received.back().text,
              "(10:00:10 03-14-2026):\r\nThe time service did not answer within 10 seconds.\r\n");
    EXPECT_EQ(BarStatuses(), (std::vector<std::uintptr_t>{1, 2, 1, 2}));
    EXPECT_FALSE(service.open) << "hanging up tells the service to give up";
}

TEST_F(ServiceSyncRunTest, ImpostorIsNotAskedAndAStoppedServiceLeavesTheRunToUs) {
    service.opensAs = TimeServiceLink::Opened::Impostor;
    frame->OnCopyData(kCodeStartSync);
    EXPECT_TRUE(service.requests.empty());
    EXPECT_TRUE(platform.sent.empty());
    EXPECT_EQ(Log(),
              "E09:59:50 03-14-2026):The time service's pipe is served by a program that is not the time service; "
              "nothing was sent.\r\n");
    EXPECT_EQ(sync->received.back().text, "(09:59:50 03-14-2026):\r\nFailed to Send Request Data to Time Server!\r\n");
    EXPECT_EQ(BarStatuses(), std::vector<std::uintptr_t>{2});

    service.opensAs = TimeServiceLink::Opened::NotRunning;
    frame->OnCopyData(kCodeStartSync);
    EXPECT_EQ(platform.sent.size(), 1u) << "the program's own request";
}

// Through the service or our own exchange, a stop hangs up and leaves the answer unread.
TEST_F(ServiceSyncRunTest, StopEndsTheRunQuietlyAndALateAnswerIsNeverRead) {
    for (const auto opens : {TimeServiceLink::Opened::Connected, TimeServiceLink::Opened::NotRunning}) {
        const bool throughService = opens == TimeServiceLink::Opened::Connected;
        service.opensAs = opens;
        bar->received.clear();
        frame->OnCopyData(kCodeStartSync);
        EXPECT_TRUE(frame->OnCopyData(kCodeStopSync));
        EXPECT_EQ(sync->received.back().text, "(09:59:50 03-14-2026):Stop Sycn Process.\r\n") << throughService;
        EXPECT_EQ(sync->received.back().code, kCodeStopSync);
        EXPECT_FALSE(service.open);
        const std::string log = Log();
        if (throughService) {
            service.Answer(ServiceStatus::Adjusted, 2'500'000);
        } else {
            AnswerAfter(50, 3.0);
        }
        platform.AdvanceMs(15000);
        EXPECT_EQ(Log(), log) << throughService;
        EXPECT_EQ(BarStatuses(), std::vector<std::uintptr_t>{1}) << throughService;
        EXPECT_TRUE(platform.systemTimeSets.empty());
        platform.SetNowMicroseconds(MicrosFromUtc(2026, 3, 14, 9, 59, 50, 250000));
        service.reply.reset();
    }
}

} // namespace
} // namespace hv::testing
