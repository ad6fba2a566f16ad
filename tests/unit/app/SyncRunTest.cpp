#include "app/MainFrameFixture.h"
#include "app/TimerIds.h"
#include "settings/ServerList.h"

#include <tuple>

namespace hv::testing {
namespace {

using SyncRunTest = SyncRunFixture;

TEST_F(SyncRunTest, CompanionStartedRunCompletesOnTheNextTick) {
    EXPECT_TRUE(frame->OnCopyData(kCodeStartSync));
    ASSERT_EQ(platform.sent.size(), 1u);
    EXPECT_EQ(platform.sent[0].to, (IpEndpoint{kServerAddress, 123}));
    EXPECT_EQ(sync->received.back().text, "(09:59:50 03-14-2026):\r\nSucced to Send Request Data to Time Server!\r\n");

    AnswerAfter(20, 2.5);
    EXPECT_EQ(frame->m_logText.Text().find("Net delay"), std::string::npos) << "handled only by the tick";

    platform.AdvanceMs(1000);
    // The tick at 09:59:51.250 handles it; the clock is then 2.5 s ahead, read again for the stamp.
    EXPECT_EQ(frame->m_logText.Text(),
              "C09:59:50 03-14-2026):Succed to Send Request Data to 127.0.0.1!\r\n"
              "C09:59:51 03-14-2026):Net delay:0.020 sec,localtime off:2.500 sec.\r\n"
              "C09:59:53 03-14-2026):Complete to adjust time,adjust size:2.500sec.\r\n");
    EXPECT_EQ(platform.systemTimeSets.size(), 1u);
    EXPECT_EQ(BarStatuses(), (std::vector<std::uintptr_t>{1, 0}));
    EXPECT_EQ(Codes(*sync), (std::vector<std::uintptr_t>{kCodeStartSync, kCodeSyncResult}));
    EXPECT_EQ(sync->received.back().text,
              "(09:59:51 03-14-2026):\r\nNet delay:0.020 sec,localtime off:2.500 sec.\r\n"
              "(09:59:53 03-14-2026):\r\nComplete to adjust time,adjust size:2.500sec.\r\n");
    EXPECT_FALSE(platform.TimerRunning(IDT_SYNC_TIMEOUT));
}

TEST_F(SyncRunTest, AHungBarIsTracedAndTheRunGoesOn) {
    bar->hung = true;
    frame->OnCopyData(kCodeStartSync);
    AnswerAfter(20, 0.5);
    platform.AdvanceMs(1000);
    // The waits fall outside the exchange, which measures its 20 ms.
    EXPECT_NE(sync->received.back().text.find("Net delay:0.020 sec,localtime off:0.500 sec."), std::string::npos);
    EXPECT_EQ(platform.traces.front(), "Horvane: the window \"VistrelShow\" did not take copy-data code 1 in time");
    EXPECT_EQ(platform.traces.back(), "Horvane: the window \"VistrelShow\" did not take copy-data code 0 in time");
}

TEST_F(SyncRunTest, SilentServerTimesOutAfterTenSeconds) {
    frame->OnCopyData(kCodeStartSync);
    platform.AdvanceMs(9999);
    EXPECT_EQ(sync->received.size(), 1u);
    platform.AdvanceMs(1);
    EXPECT_EQ(BarStatuses(), (std::vector<std::uintptr_t>{1, 2}));
    EXPECT_NE(frame->m_logText.Text().find("E10:00:00 03-14-2026):127.0.0.1 doesn't send response data back!\r\n"),
              std::string::npos);
    EXPECT_EQ(sync->received.back().code, kCodeSyncResult);
    EXPECT_EQ(sync->received.back().text, "(10:00:00 03-14-2026):\r\nTime Server doesn't send response data back!\r\n");
    EXPECT_FALSE(frame->m_sntp.AwaitingReply());
    EXPECT_FALSE(platform.TimerRunning(IDT_SYNC_TIMEOUT));
}

TEST_F(SyncRunTest, ReplyJustBeforeTheTimeOutIsHandledByTheTick) {
    frame->OnCopyData(kCodeStartSync);
    AnswerAfter(9990, 0.5);
    platform.AdvanceMs(10);  // timer 102 and the tick fall due together; the tick wins the run
    EXPECT_EQ(BarStatuses(), (std::vector<std::uintptr_t>{1, 0}));
    EXPECT_EQ(frame->m_logText.Text().find("doesn't send"), std::string::npos);
}

TEST_F(SyncRunTest, StartWhileOutstandingStartsNothing) {
    frame->OnCopyData(kCodeStartSync);
    const std::string log = frame->m_logText.Text();
    EXPECT_TRUE(frame->OnCopyData(kCodeStartSync));
    EXPECT_EQ(sync->received.back().code, kCodeStartSync);
    EXPECT_EQ(sync->received.back().text, "Synch is running,please retry later.\r\n");
    frame->OnTimer(IDT_AUTOSYNC);  // nor does the automatic timer
    EXPECT_EQ(platform.sent.size(), 1u);
    EXPECT_EQ(frame->m_logText.Text(), log);
    // The outstanding request still gets its answer.
    AnswerAfter(30, -1.234);
    platform.AdvanceMs(1000);
    EXPECT_NE(frame->m_logText.Text().find("localtime off:-1.234 sec."), std::string::npos);
}

TEST_F(SyncRunTest, StopEndsTheRunQuietly) {
    frame->OnCopyData(kCodeStartSync);
    EXPECT_TRUE(frame->OnCopyData(kCodeStopSync));
    EXPECT_EQ(sync->received.back().text, "(09:59:50 03-14-2026):Stop Sycn Process.\r\n");
    const std::string log = frame->m_logText.Text();
    AnswerAfter(50, 3.0);
    platform.AdvanceMs(15000);
    EXPECT_EQ(frame->m_logText.Text(), log);
    EXPECT_EQ(BarStatuses(), std::vector<std::uintptr_t>{1});
    EXPECT_EQ(Codes(*sync), (std::vector<std::uintptr_t>{kCodeStartSync, kCodeStopSync}));
    EXPECT_TRUE(platform.systemTimeSets.empty());
}

TEST_F(SyncRunTest, FailedSendIsReported) {
    frame->m_sntp.SetServerAddress("");
    frame->OnCopyData(kCodeStartSync);
    EXPECT_TRUE(platform.sent.empty());
    EXPECT_EQ(frame->m_logText.Text(), "E09:59:50 03-14-2026):Failed to Send Request Data to !\r\n");
    EXPECT_EQ(sync->received.back().code, kCodeSyncResult);
    EXPECT_EQ(sync->received.back().text, "(09:59:50 03-14-2026):\r\nFailed to Send Request Data to Time Server!\r\n");
    // Told before the request would have gone out, the bar then learns it failed.
    EXPECT_EQ(BarStatuses(), (std::vector<std::uintptr_t>{1, 2}));
}

TEST_F(SyncRunTest, SocketThatCannotOpenIsShownAndChangesNothing) {
    platform.failSocketOpen = true;
    frame->StartSync();
    EXPECT_EQ(platform.messageBoxes, std::vector<std::string>{"Error to create socket!"});
    EXPECT_TRUE(frame->m_logText.Empty());
    EXPECT_TRUE(bar->received.empty());
    EXPECT_TRUE(frame->m_lastSyncOk);
}

TEST_F(SyncRunTest, LogLimitCanSplitOneCompletion) {
    frame->OnCopyData(kCodeStartSync);
    frame->m_logText.Append(std::string(3950 - frame->m_logText.Text().size(), '.'));
    AnswerAfter(20, 2.5);
    platform.AdvanceMs(1000);
    // The delay entry took the log past the limit, so it was emptied before the adjustment.
    EXPECT_EQ(frame->m_logText.Text(), "C09:59:53 03-14-2026):Complete to adjust time,adjust size:2.500sec.\r\n");
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

TEST_F(MainFrameTest, DefaultServerSelection) {
    StartQuiet();
    const std::tuple<std::string, bool, std::string> cases[] = {
        {"A(one.example)?B(two.example)?1", true, "two.example"},
        {"A(one.example)?B(two.example)?2", false, "unchanged"},
        {"A(one.example)?no address?1", false, "unchanged"},
        {"no address?B(10.1.2.3)?1", true, "10.1.2.3"},
        {"A(one.example)?B(two.example)?x", true, "one.example"},
        {"7", true, "time-a-g.nist.gov"},
        {"A(one.example)?12", true, "time-a-g.nist.gov"},
    };
    for (const auto& [list, found, address] : cases) {
        frame->m_settings.serverList = list;
        frame->m_sntp.SetServerAddress("unchanged");
        EXPECT_EQ(frame->SelectDefaultServer(), found) << list;
        EXPECT_EQ(frame->m_sntp.ServerAddress(), address) << list;
    }
    // The replaced list is what reaches the file.
    frame.reset();
    EXPECT_NE(Config().find("[list]=" + std::string(DEFAULT_SERVER_LIST) + "\r\n"), std::string::npos);
}

} // namespace
} // namespace hv::testing
