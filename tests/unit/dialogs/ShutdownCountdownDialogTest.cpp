#include "dialogs/ShutdownCountdownDialog.h"
#include "framework/fake/FakePlatform.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace hv::testing {
namespace {

class CountdownTest : public ::testing::Test {
protected:
    FakePlatform platform;
    int requestsWhenPrepared = -1;
    ShutdownCountdownDialog countdown{platform, [this] { requestsWhenPrepared = platform.powerOffRequests; }};
    FakeDialogView view{platform, countdown};
};

TEST_F(CountdownTest, CountsTwentyToZeroThenSwitchesOff) {
    view.Open();
    EXPECT_EQ(view.Text(IDC_COUNTDOWN_LABEL), "System Will be ShutDown within 20 seconds!");
    for (int shown = 20; shown >= 0; --shown) {
        platform.AdvanceMs(1000);
        EXPECT_EQ(view.Text(IDC_COUNTDOWN_LABEL), "System will be ShutDown within " + std::to_string(shown) + " seconds!");
    }
    view.PressAltF4();  // ignored
    EXPECT_EQ(platform.powerOffRequests, 0);
    platform.AdvanceMs(1000);  // tick 22
    EXPECT_EQ(platform.privilegesEnabled, std::vector<std::string>{"SeShutdownPrivilege"});
    EXPECT_EQ(platform.powerOffRequests, 1);
    EXPECT_EQ(requestsWhenPrepared, 0);
    // It stays, without its timer, until dismissed.
    EXPECT_TRUE(view.IsOpen());
    EXPECT_FALSE(view.TimerRunning(106));
    view.PressEnter();
    EXPECT_FALSE(view.IsOpen());
}

TEST_F(CountdownTest, EscBeforeTheEndRequestsNothing) {
    view.Open();
    platform.AdvanceMs(21000);
    view.PressEscape();
    platform.AdvanceMs(5000);
    EXPECT_TRUE(platform.privilegesEnabled.empty());
    EXPECT_EQ(platform.powerOffRequests, 0);
}

TEST(Countdown, PrivilegeFailuresAreReportedWithTheirNumbers) {
    const struct {
        bool tokenOpens;
        const char* message;
    } cases[] = {
        {false, "Failed to OpenProcessToken,the reason is5,Please make sure you have the right to shut down!"},
        {true, "Failed to SetPrivilege,the reason is 1300,Please make sure you have the right to shut down!"},
    };
    for (const auto& c : cases) {
        FakePlatform platform;
        platform.tokenOpens = c.tokenOpens;  // refused with error 5
        platform.privilegeHeld = false;
        bool prepared = false;
        ShutdownCountdownDialog countdown(platform, [&] { prepared = true; });
        FakeDialogView view(platform, countdown);
        view.Open();
        platform.AdvanceMs(22000);
        EXPECT_EQ(platform.messageBoxes, std::vector<std::string>{c.message});
        EXPECT_EQ(platform.powerOffRequests, 0);
        EXPECT_FALSE(prepared);
        EXPECT_TRUE(view.IsOpen());
    }
}

} // namespace
} // namespace hv::testing
