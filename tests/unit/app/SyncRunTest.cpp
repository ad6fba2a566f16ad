#include "app/CommandIds.h"
#include "app/MainFrameFixture.h"
#include "app/TimerIds.h"

namespace hv::testing {
namespace {

using SyncRunTest = SyncRunFixture;

TEST_F(SyncRunTest, CompanionStartedRunCompletesOnTheNextTick) {
    EXPECT_TRUE(frame->OnCopyData(kCodeStartSync));
    ASSERT_EQ(platform.sent.size(), 1u);
    EXPECT_EQ(platform.sent[0].to, (IpEndpoint{kLabAddress, 123}));
    EXPECT_EQ(sync->received.back().text, "(09:59:50 03-14-2026):\r\nSucced to Send Request Data to Time Server!\r\n");

    AnswerAfter(20, 2.5);
    EXPECT_EQ(Log().find("Net delay"), std::string::npos) << "handled only by the tick";

    platform.AdvanceMs(1000);
    // The tick at 09:59:51.250 handles it; the clock is then 2.5 s ahead, read again for the stamp.
    EXPECT_EQ(Log(),
              "C09:59:50 03-14-2026):Succed to Send Request Data to 127.0.0.1!\r\n"
              "C09:59:51 03-14-2026):Net delay:0.020 sec,localtime off:2.500 sec.\r\n"
              "C09:59:53 03-14-2026):Complete to adjust time,adjust size:2.500sec.\r\n");
    EXPECT_EQ(platform.systemTimeSets.size(), 1u);
    EXPECT_EQ(BarStatuses(), (std::vector<std::uintptr_t>{1, 0}));
    EXPECT_EQ(Codes(*sync), (std::vector<std::uintptr_t>{kCodeStartSync, kCodeSyncResult}));
    EXPECT_EQ(sync->received.back().text,
              "(09:59:51 03-14-2026):\r\nNet delay:0.020 sec,localtime off:2.500 sec.\r\n"
              "(09:59:53 03-14-2026):\r\nComplete to adjust time,adjust size:2.500sec.\r\n");
    EXPECT_FALSE(platform.TimerRunning(kTimerSyncTimeout));
}

TEST_F(SyncRunTest, AHungBarIsTracedAndTheRunGoesOn) {
    bar->hung = true;
    frame->OnCopyData(kCodeStartSync);
    AnswerAfter(20, 0.5);
    platform.AdvanceMs(1000);
    // The waits fall outside the exchange, which measures its 20 ms.
    EXPECT_NE(sync->received.back().text.find("Net delay:0.020 sec,localtime off:0.500 sec."), std::string::npos);
    EXPECT_EQ(platform.traces.front(), "Horvane: the window \"VistrelShow\" did not take copy-data code 1 in time");
}

TEST_F(SyncRunTest, SilentServerTimesOutAfterTenSeconds) {
    frame->OnCopyData(kCodeStartSync);
    platform.AdvanceMs(9999);
    EXPECT_EQ(sync->received.size(), 1u);
    platform.AdvanceMs(1);
    EXPECT_EQ(BarStatuses(), (std::vector<std::uintptr_t>{1, 2}));
    EXPECT_NE(Log().find("E10:00:00 03-14-2026):127.0.0.1 doesn't send response data back!\r\n"),
              std::string::npos);
    EXPECT_EQ(sync->received.back().code, kCodeSyncResult);
    EXPECT_EQ(sync->received.back().text, "(10:00:00 03-14-2026):\r\nTime Server doesn't send response data back!\r\n");
    EXPECT_FALSE(platform.TimerRunning(kTimerSyncTimeout));
    // A failed run is no verdict on the next: a good one shows success again.
    frame->OnCopyData(kCodeStartSync);
    AnswerAfter(20, 0.5);
    platform.AdvanceMs(1000);
    EXPECT_EQ(BarStatuses(), (std::vector<std::uintptr_t>{1, 2, 1, 0}));
}

TEST_F(SyncRunTest, ReplyAfterFourSecondsIsRefusedWithItsOwnEntry) {
    frame->OnCopyData(kCodeStartSync);
    AnswerAfter(4000, 2.5);
    platform.AdvanceMs(1000);
    EXPECT_NE(Log().find(
                  "E09:59:55 03-14-2026):127.0.0.1 replied too late: a round trip of more than 3 seconds is not "
                  "trusted!\r\n"),
              std::string::npos)
        << Log();
    EXPECT_EQ(Log().find("Net delay"), std::string::npos);
    EXPECT_TRUE(platform.systemTimeSets.empty());
    EXPECT_EQ(BarStatuses(), (std::vector<std::uintptr_t>{1, 2}));
    EXPECT_EQ(sync->received.back().text,
              "(09:59:55 03-14-2026):\r\n127.0.0.1 replied too late: a round trip of more than 3 seconds is not "
              "trusted!\r\n");
}

TEST_F(SyncRunTest, ReplyJustBeforeTheTimeOutIsHandledByTheTick) {
    frame->OnCopyData(kCodeStartSync);
    // A short path, but the server held the request for 9.98 s: a delay of 10 ms.
    const double sent = NtpSecondsFromUnixMicros(platform.NowMicroseconds());
    platform.AdvanceMs(9990);
    const double now = NtpSecondsFromUnixMicros(platform.NowMicroseconds());
    const NtpPacketBytes bytes = ReplyTo(platform.sent.back().bytes, sent + 0.505, now + 0.495);
    platform.Deliver(Datagram{{bytes.begin(), bytes.end()}, {kLabAddress, kNtpPort}});
    platform.AdvanceMs(10);  // timer 102 and the tick fall due together; the tick wins the run
    EXPECT_EQ(BarStatuses(), (std::vector<std::uintptr_t>{1, 0}));
    EXPECT_EQ(Log().find("doesn't send"), std::string::npos);
}

TEST_F(SyncRunTest, StartWhileOutstandingStartsNothing) {
    frame->OnCopyData(kCodeStartSync);
    const std::string log = Log();
    frame->OnCopyData(kCodeStartSync);
    frame->OnTimer(kTimerAutoSync);
    EXPECT_EQ(platform.sent.size(), 1u);
    EXPECT_EQ(Log(), log);
    // The outstanding request still gets its answer.
    AnswerAfter(30, -1.234);
    platform.AdvanceMs(1000);
    EXPECT_NE(Log().find("localtime off:-1.234 sec."), std::string::npos);
}

TEST_F(SyncRunTest, FailedSendIsReported) {
    StartQuiet("[list]=Nowhere()?0\r\n");  // a default with no address: the server stays unset
    frame->OnCopyData(kCodeStartSync);
    EXPECT_TRUE(platform.sent.empty());
    EXPECT_EQ(Log(), "E09:59:50 03-14-2026):Failed to Send Request Data to !\r\n");
    EXPECT_EQ(sync->received.back().code, kCodeSyncResult);
    EXPECT_EQ(sync->received.back().text, "(09:59:50 03-14-2026):\r\nFailed to Send Request Data to Time Server!\r\n");
    // Told before the request would have gone out, the bar then learns it failed.
    EXPECT_EQ(BarStatuses(), (std::vector<std::uintptr_t>{1, 2}));
}

// The name is looked up without holding the window; the run's ten seconds count from its
// start, and a look-up that never ends fails the run as a send that could not leave.
TEST_F(SyncRunTest, ANameIsLookedUpWithinTheRunsTenSeconds) {
    StartQuiet("[list]=Named(time.test)?0\r\n");
    platform.hosts["time.test"] = {kLabAddress};
    platform.lookupDelayMs = 2000;
    frame->OnCopyData(kCodeStartSync);
    EXPECT_TRUE(platform.sent.empty());
    EXPECT_TRUE(sync->received.empty()) << "told once the request is out";
    frame->OnCopyData(kCodeStartSync);
    EXPECT_EQ(sync->received.back().text, "Synch is running,please retry later.\r\n");
    platform.AdvanceMs(2000);
    ASSERT_EQ(platform.sent.size(), 1u);
    EXPECT_EQ(sync->received.back().text, "(09:59:52 03-14-2026):\r\nSucced to Send Request Data to Time Server!\r\n");
    platform.AdvanceMs(7999);
    EXPECT_EQ(sync->received.back().code, kCodeStartSync);
    platform.AdvanceMs(1);
    EXPECT_EQ(sync->received.back().text, "(10:00:00 03-14-2026):\r\nTime Server doesn't send response data back!\r\n");

    platform.lookupsNeverAnswer = true;
    frame->OnCopyData(kCodeStartSync);
    platform.AdvanceMs(10000);
    EXPECT_EQ(sync->received.back().text, "(10:00:10 03-14-2026):\r\nFailed to Send Request Data to Time Server!\r\n");
    EXPECT_NE(Log().find("E10:00:10 03-14-2026):Failed to Send Request Data to time.test!\r\n"), std::string::npos);
    EXPECT_EQ(platform.PendingLookupCount(), 0);
    frame->OnCopyData(kCodeStartSync);
    frame->OnCopyData(kCodeStopSync);
    EXPECT_EQ(platform.PendingLookupCount(), 0) << "a stop gives the look-up up";
    platform.AdvanceMs(15000);
    EXPECT_EQ(platform.sent.size(), 1u);
    EXPECT_EQ(BarStatuses(), (std::vector<std::uintptr_t>{1, 2, 1, 2, 1}));
}

TEST_F(SyncRunTest, SocketThatCannotOpenIsShownAndChangesNothing) {
    platform.failSocketOpen = true;
    frame->OnTimer(kTimerAutoSync);
    EXPECT_EQ(platform.messageBoxes, std::vector<std::string>{"Error to create socket!"});
    EXPECT_TRUE(Log().empty());
    EXPECT_TRUE(bar->received.empty());
    EXPECT_TRUE(sync->received.empty()) << "the window did not ask";
}

TEST_F(SyncRunTest, LogLimitCanSplitOneCompletion) {
    // Thirty silent runs of two entries (65 and 66 bytes) and a request: 3995 bytes.
    for (int run = 0; run < 30; ++run) {
        frame->OnCopyData(kCodeStartSync);
        platform.AdvanceMs(10000);
    }
    frame->OnCopyData(kCodeStartSync);
    AnswerAfter(20, 2.5);
    platform.AdvanceMs(1000);
    // The delay entry took the log past the limit, so it was emptied before the adjustment.
    EXPECT_EQ(Log(), "C10:04:53 03-14-2026):Complete to adjust time,adjust size:2.500sec.\r\n");
}

TEST_F(SyncRunTest, RefusedClockChangeLeavesOnlyTheMeasurement) {
    platform.privilegeHeld = false;
    frame->OnCopyData(kCodeStartSync);
    AnswerAfter(20, 2.5);
    platform.AdvanceMs(1000);
    EXPECT_EQ(platform.messageBoxes, std::vector<std::string>{"1300"});
    EXPECT_EQ(sync->received.back().text, "(09:59:51 03-14-2026):\r\nNet delay:0.020 sec,localtime off:2.500 sec.\r\n");
    EXPECT_EQ(BarStatuses(), (std::vector<std::uintptr_t>{1, 0})) << "a reply came: the run succeeded";
}

// --- the log view ---------------------------------------------------------------------------

// The messages the view shows, under its two columns and with its two images whatever it shows.
std::vector<std::string> Messages(const FakeDialogView& view) {
    const auto& list = view.List(IDC_LOG_LIST);
    EXPECT_EQ(list.columns, (std::vector<ListColumn>{{"DateTime", 130}, {"Log Information", 248}}));
    EXPECT_EQ(list.images, (std::vector<int>{IDB_LOG_ERROR, IDB_LOG_INFO}));
    std::vector<std::string> messages;
    for (const auto& row : list.rows) messages.push_back(row[1]);
    return messages;
}

TEST_F(SyncRunTest, LogViewRefreshPastTheLimitEmptiesTheViewAndTheNextRunRefillsIt) {
    // Thirty-one silent runs of lab.net, two entries each (63 and 64 bytes), and the next
    // request's entry bring the log to exactly the limit, which it keeps.
    platform.hosts["lab.net"] = {kLabAddress};
    StartQuiet("[list]=Lab(lab.net)?0\r\n");
    platform.dialogScripts[IDD_LOGVIEW] = [&](FakeDialogView& view) {
        EXPECT_EQ(view.Caption(), "LogView");
        for (int run = 0; run < 31; ++run) {
            frame->OnCopyData(kCodeStartSync);
            platform.AdvanceMs(10000);
        }
        EXPECT_EQ(Messages(view).size(), 62u);
        frame->OnCopyData(kCodeStartSync);
        platform.AdvanceMs(10000);
        EXPECT_TRUE(Messages(view).empty()) << "the time-out's entry took it past the limit";

        frame->OnCopyData(kCodeStartSync);
        AnswerAfter(20, 1.5);
        platform.AdvanceMs(1000);
        ASSERT_EQ(Messages(view).size(), 3u);
        EXPECT_EQ(Messages(view)[0], "Succed to Send Request Data to lab.net!");
    };
    frame->OnCommand(kCmdViewLog);
}

} // namespace
} // namespace hv::testing
