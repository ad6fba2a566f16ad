#include "dialogs/ShutdownCountdownDialog.h"
#include "framework/fake/FakePlatform.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace hv {
namespace {

class CountdownTest : public ::testing::Test {
protected:
    FakePlatform platform;
    int requestsSeenBeforePowerOff = -1;
    ShutdownCountdownDialog countdown{platform, [this] { requestsSeenBeforePowerOff = platform.powerOffRequests; }};
    FakeDialogView view{platform, countdown};
};

TEST_F(CountdownTest, CountsTwentyToZeroThenSwitchesOff) {
    view.Open();
    EXPECT_EQ(view.Text(IDC_COUNTDOWN_LABEL), "System Will be ShutDown within 20 seconds!");
    for (int shown = 20; shown >= 0; --shown) {
        platform.AdvanceMs(1000);
        EXPECT_EQ(view.Text(IDC_COUNTDOWN_LABEL), "System will be ShutDown within " + std::to_string(shown) + " seconds!");
    }
    // Alt+F4 is ignored all along.
    view.PressAltF4();
    EXPECT_EQ(platform.powerOffRequests, 0);
    platform.AdvanceMs(1000);  // tick 22
    EXPECT_EQ(platform.privilegesEnabled, std::vector<std::string>{"SeShutdownPrivilege"});
    EXPECT_EQ(platform.powerOffRequests, 1);
    EXPECT_EQ(requestsSeenBeforePowerOff, 0);
    EXPECT_TRUE(platform.messageBoxes.empty());
    // It stays, without its timer, until dismissed.
    EXPECT_TRUE(view.IsOpen());
    EXPECT_FALSE(view.TimerRunning(106));
    platform.AdvanceMs(5000);
    EXPECT_EQ(platform.powerOffRequests, 1);
    view.PressEnter();
    EXPECT_FALSE(view.IsOpen());
}

TEST_F(CountdownTest, EscBeforeTheEndRequestsNothing) {
    view.Open();
    platform.AdvanceMs(21000);
    view.PressEscape();
    EXPECT_FALSE(view.IsOpen());
    platform.AdvanceMs(5000);
    EXPECT_TRUE(platform.privilegesEnabled.empty());
    EXPECT_EQ(platform.powerOffRequests, 0);
}

TEST_F(CountdownTest, PrivilegeFailuresAreReportedWithTheirNumbers) {
    struct Case {
        bool tokenOpens;
        const char* message;
    };
    const Case cases[] = {
        {false, "Failed to OpenProcessToken,the reason is5,Please make sure you have the right to shut down!"},
        {true, "Failed to SetPrivilege,the reason is 1300,Please make sure you have the right to shut down!"},
    };
    for (const Case& c : cases) {
        FakePlatform refused;
        refused.tokenOpens = c.tokenOpens;
        refused.privilegeHeld = false;
        bool prepared = false;
        ShutdownCountdownDialog dialog(refused, [&] { prepared = true; });
        FakeDialogView shown(refused, dialog);
        shown.Open();
        refused.AdvanceMs(22000);
        EXPECT_EQ(refused.messageBoxes, std::vector<std::string>{c.message});
        EXPECT_EQ(refused.powerOffRequests, 0);
        EXPECT_FALSE(prepared);
        EXPECT_TRUE(shown.IsOpen());
    }
}

} // namespace
} // namespace hv
