#include "FakePanelLink.h"
#include "Quorel/SyncWindow.h"
#include "Quorel/res/resource.h"
#include "framework/fake/FakePlatform.h"

#include <gtest/gtest.h>

#include <utility>

namespace hv::testing {
namespace {

// Texts as Horvane sends them.
constexpr const char* kSent = "(10:00:00 03-14-2026):\r\nSucced to Send Request Data to Time Server!\r\n";
constexpr const char* kBusy = "Synch is running,please retry later.\r\n";
constexpr const char* kFailed = "(10:00:00 03-14-2026):\r\nFailed to Send Request Data to Time Server!\r\n";
constexpr const char* kResult = "(10:00:01 03-14-2026):\r\nNet delay:0.042 sec,localtime off:-1.250 sec.\r\n";
constexpr const char* kStopped = "(10:00:02 03-14-2026):Stop Sycn Process.\r\n";

using Buttons = std::pair<bool, bool>; // Synchronize and Stop enabled
const Buttons kReady{true, false}, kRunning{false, true}, kNeither{false, false};

class SyncWindowTest : public ::testing::Test {
protected:
    FakePlatform platform;
    FakePanelLink horvane;
    SyncWindow window{horvane};
    FakeDialogView view{platform, window};

    Buttons Shown() const { return {view.IsEnabled(IDC_SYNC_START), view.IsEnabled(IDC_SYNC_STOP)}; }
    // Horvane answers a request while it is being sent.
    void AnswerWith(std::uintptr_t request, std::uintptr_t code, std::string text) {
        horvane.answer = [this, request, code, text](std::uintptr_t sent) {
            if (sent == request) view.ReceiveCopyData(code, text);
        };
    }
};

// A run from the keyboard and quitting on code 3 are the companions' end-to-end test's.
// The server's name is one printable line (PrintableLine, as CityList's names are).
TEST_F(SyncWindowTest, TheAnswerDuringTheRequestDecidesWhetherARunIsOnUntilItsResult) {
    view.Open();
    EXPECT_EQ(horvane.codes, (std::vector<std::uintptr_t>{10})) << "asks for the server at once";
    EXPECT_TRUE(view.ReceiveCopyData(10, std::string(400, 'a')));
    EXPECT_EQ(view.Text(IDC_SYNC_SERVER), std::string(255, 'a'));
    view.ReceiveCopyData(10, "");
    EXPECT_EQ(view.Text(IDC_SYNC_SERVER), "(none chosen yet)");
    EXPECT_FALSE(view.ReceiveCopyData(21)) << "a code it does not know";
    EXPECT_FALSE(view.ReceiveCopyData(13, std::string(kMaxCopyDataText + 1, 'x')));
    EXPECT_EQ(Shown(), kReady);

    AnswerWith(11, 11, kSent);
    EXPECT_TRUE(view.Click(IDC_SYNC_START));
    EXPECT_EQ(horvane.codes, (std::vector<std::uintptr_t>{10, 11}));
    EXPECT_EQ(Shown(), kRunning);
    EXPECT_EQ(view.FocusedControl(), IDC_SYNC_STOP) << "the keyboard follows the button that took over";
    EXPECT_TRUE(view.ReceiveCopyData(13, kResult));
    EXPECT_EQ(Shown(), kReady);
    EXPECT_EQ(view.FocusedControl(), IDC_SYNC_START);
    // Stop ends a run on Horvane's reply.
    view.Click(IDC_SYNC_START);
    AnswerWith(12, 12, kStopped);
    EXPECT_TRUE(view.Click(IDC_SYNC_STOP));
    EXPECT_EQ(horvane.codes, (std::vector<std::uintptr_t>{10, 11, 11, 12}));
    EXPECT_EQ(Shown(), kReady);

    AnswerWith(11, 11, kBusy); // another run is on; its result will come
    view.Click(IDC_SYNC_START);
    EXPECT_EQ(Shown(), kRunning);
    view.ReceiveCopyData(13, kResult);
    AnswerWith(11, 13, kFailed);
    view.Click(IDC_SYNC_START);
    EXPECT_EQ(Shown(), kReady);
    EXPECT_EQ(view.Text(IDC_SYNC_TRANSCRIPT),
              std::string(kSent) + kResult + kSent + kStopped + kBusy + kResult + kFailed);
    EXPECT_TRUE(window.FollowsLastLine(IDC_SYNC_TRANSCRIPT));
}

TEST_F(SyncWindowTest, WithoutHorvaneNothingStartsUntilItAppears) {
    horvane.present = false;
    view.Open();
    EXPECT_TRUE(horvane.codes.empty());
    EXPECT_EQ(Shown(), kNeither);
    EXPECT_EQ(view.Text(IDC_SYNC_STATUS), "Horvane is not running.");

    horvane.present = true;
    platform.AdvanceMs(2000);
    EXPECT_EQ(horvane.codes, (std::vector<std::uintptr_t>{10}));
    EXPECT_EQ(Shown(), kReady);

    view.Click(IDC_SYNC_START);
    horvane.present = false; // gone in the middle of a run, without a word
    platform.AdvanceMs(2000);
    EXPECT_EQ(Shown(), kNeither);
    EXPECT_EQ(view.FocusedControl(), kIdCancel);
}

// Line ends made "\r\n", other control characters gone; past 32 KiB the oldest lines go.
TEST(Transcript, KeepsTextsTidyAndWithinItsLimit) {
    static constexpr char kWithNul[] = "no\0 nul\x07 or bell\tbut tabs";
    const std::pair<std::string, std::string> cases[] = {
        {"lone\nfeeds\rand\r\nreturns", "lone\r\nfeeds\r\nand\r\nreturns\r\n"},
        {std::string(kWithNul, sizeof kWithNul - 1), "no nul or bell\tbut tabs\r\n"},
        {"\x01\x02", ""},
    };
    for (const auto& [received, shown] : cases) {
        Transcript kept;
        kept.Append(received);
        EXPECT_EQ(kept.Text(), shown) << received;
    }
    Transcript kept;
    const std::string line = std::string(98, '.') + "\r\n";
    for (int i = 0; i < 400; ++i) kept.Append(line);
    kept.Append("newest");
    // The newest text and the 327 whole lines of 100 bytes before it.
    std::string expected;
    for (int i = 0; i < 327; ++i) expected += line;
    EXPECT_EQ(kept.Text(), expected + "newest\r\n");
}

} // namespace
} // namespace hv::testing
