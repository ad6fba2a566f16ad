#include "app/CommandIds.h"
#include "app/MainFrameFixture.h"
#include "app/TimerIds.h"

namespace hv::testing {
namespace {

using SyncRunTest = SyncRunFixture;

TEST_F(SyncRunTest, AHungBarIsTracedAndTheRunGoesOn) {
    bar->hung = true;
    frame->OnCopyData(kCodeStartSync);
    AnswerAfter(20, 0.5);
    platform.AdvanceMs(1000);
    // The waits fall outside the exchange, which measures its 20 ms.
    EXPECT_NE(sync->received.back().text.find("Net delay:0.020 sec,localtime off:0.500 sec."), std::string::npos);
    EXPECT_EQ(platform.traces.front(), "Horvane: the window \"VistrelShow\" did not take copy-data code 1 in time");
}

// A run the "sync" window started, ending each its own way: what the log, the window and the
// bar hear of it. A reply is handled by the next tick, which stamps it; the clock, 2.5 s
// behind, is read again for the adjustment's stamp.
TEST_F(SyncRunTest, EachOutcomeIsToldToTheLogTheWindowAndTheBar) {
    const std::int64_t start = platform.NowMicroseconds();
    const std::string sent = "C09:59:50 03-14-2026):Succed to Send Request Data to 127.0.0.1!\r\n";
    const std::string tooLate = "127.0.0.1 replied too late: a round trip of more than 3 seconds is not trusted!\r\n";
    const std::string measured = "Net delay:0.020 sec,localtime off:2.500 sec.\r\n";
    const std::string adjusted = "Complete to adjust time,adjust size:2.500sec.\r\n";
    const struct {
        const char* name;
        std::string config;
        int roundTripMs; // 0: no reply
        bool privilegeHeld;
        std::string log;
        std::string window;
        std::vector<std::uintptr_t> bar;
    } cases[] = {
        {"clock set",
         "",
         20,
         true,
         sent + "C09:59:51 03-14-2026):" + measured + "C09:59:53 03-14-2026):" + adjusted,
         "(09:59:51 03-14-2026):\r\n" + measured + "(09:59:53 03-14-2026):\r\n" + adjusted,
         {1, 0}},
        {"reply after four seconds",
         "",
         4000,
         true,
         sent + "E09:59:55 03-14-2026):" + tooLate,
         "(09:59:55 03-14-2026):\r\n" + tooLate,
         {1, 2}},
        // Told before the request would have gone out, the bar then learns it failed.
        {"no address to send to",
         "[list]=Nowhere()?0\r\n",
         0,
         true,
         "E09:59:50 03-14-2026):Failed to Send Request Data to !\r\n",
         "(09:59:50 03-14-2026):\r\nFailed to Send Request Data to Time Server!\r\n",
         {1, 2}},
        {"clock change refused: the run succeeded",
         "",
         20,
         false,
         sent + "C09:59:51 03-14-2026):" + measured,
         "(09:59:51 03-14-2026):\r\n" + measured,
         {1, 0}},
        {"silent server",
         "",
         0,
         true,
         sent + "E10:00:00 03-14-2026):127.0.0.1 doesn't send response data back!\r\n",
         "(10:00:00 03-14-2026):\r\nTime Server doesn't send response data back!\r\n",
         {1, 2}},
    };
    for (const auto& c : cases) {
        platform.SetNowMicroseconds(start);
        StartQuiet(c.config);
        bar->received.clear();
        platform.privilegeHeld = c.privilegeHeld;
        EXPECT_TRUE(frame->OnCopyData(kCodeStartSync));
        if (c.roundTripMs != 0) {
            AnswerAfter(c.roundTripMs, 2.5);
            EXPECT_EQ(BarStatuses().size(), 1u) << c.name << ": handled only by the tick";
        }
        platform.AdvanceMs(c.roundTripMs != 0 ? 1000 : 10000);
        EXPECT_EQ(Log(), c.log) << c.name;
        EXPECT_EQ(sync->received.back().code, kCodeSyncResult) << c.name;
        EXPECT_EQ(sync->received.back().text, c.window) << c.name;
        EXPECT_EQ(BarStatuses(), c.bar) << c.name;
    }
    EXPECT_EQ(platform.messageBoxes, std::vector<std::string>{"1300"}) << "the refused change";
    EXPECT_EQ(platform.systemTimeSets.size(), 1u);
    // A failed run is no verdict on the next: a good one shows success again.
    frame->OnCopyData(kCodeStartSync);
    AnswerAfter(20, 0.5);
    platform.AdvanceMs(1000);
    EXPECT_EQ(BarStatuses(), (std::vector<std::uintptr_t>{1, 2, 1, 0}));
}

TEST_F(SyncRunTest, ReplyJustBeforeTheTimeOutIsHandledByTheTick) {
    frame->OnCopyData(kCodeStartSync);
    // A short path, but the server held the request for 9.98 s: a delay of 10 ms.
    const double sent = NtpSecondsFromUnixMicros(platform.NowMicroseconds());
    platform.AdvanceMs(9990);
    const double now = NtpSecondsFromUnixMicros(platform.NowMicroseconds());
    const NtpPacketBytes bytes = ReplyTo(platform.sent.back().bytes, sent + 0.505, now + 0.495);
    platform.Deliver(Datagram{{bytes.begin(), bytes.end()}, {kLabAddress, kNtpPort}});
    platform.AdvanceMs(10); // timer 102 and the tick fall due together; the tick wins the run
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

// Thirty-one silent runs of lab.net, two entries each (63 and 64 bytes), and the next
// request's entry bring the log to exactly the limit, which it keeps. The next entry takes it
// past, so the one after empties it first: a completion can be split, and the open view follows.
TEST_F(SyncRunTest, TheLogPastItsLimitIsEmptiedBeforeTheNextEntryAndTheOpenViewFollows) {
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
        AnswerAfter(20, 2.5);
        platform.AdvanceMs(1000);
        EXPECT_EQ(Messages(view), std::vector<std::string>{"Complete to adjust time,adjust size:2.500sec."});
    };
    frame->OnCommand(kCmdViewLog);
}

} // namespace
} // namespace hv::testing
