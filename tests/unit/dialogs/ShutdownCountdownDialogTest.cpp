#include "dialogs/DialogFixture.h"
#include "dialogs/ShutdownCountdownDialog.h"
#include "res/resource.h"

namespace hv::testing {
namespace {

class CountdownTest : public DialogFixture<ShutdownCountdownDialog> {
protected:
    int requestsWhenPrepared = -1;
    void Open() {
        OpenWith(platform, [this] { requestsWhenPrepared = platform.powerOffRequests; });
    }
};

TEST_F(CountdownTest, CountsTwentyToZeroThenSwitchesOff) {
    Open();
    EXPECT_EQ(view->Text(IDC_COUNTDOWN_LABEL), "System Will be ShutDown within 20 seconds!");
    for (int shown = 20; shown >= 0; --shown) {
        platform.AdvanceMs(1000);
        EXPECT_EQ(view->Text(IDC_COUNTDOWN_LABEL), "System will be ShutDown within " + std::to_string(shown) + " seconds!");
    }
    view->PressAltF4();  // ignored
    EXPECT_EQ(platform.powerOffRequests, 0);
    platform.AdvanceMs(1000);  // tick 22
    EXPECT_EQ(platform.privilegesEnabled, std::vector<std::string>{"SeShutdownPrivilege"});
    EXPECT_EQ(platform.powerOffRequests, 1);
    EXPECT_EQ(requestsWhenPrepared, 0);
    // It stays, without its timer, until dismissed.
    EXPECT_TRUE(view->IsOpen());
    EXPECT_FALSE(view->TimerRunning(106));
    view->PressEnter();
    EXPECT_FALSE(view->IsOpen());
}

// A refused privilege is reported with the system's number and leaves the window open.
TEST_F(CountdownTest, CancelledOrRefusedItSwitchesNothingOff) {
    const struct {
        const char* what;
        bool tokenOpens, privilegeHeld, cancelled;
        std::vector<std::string> boxes;
    } cases[] = {
        {"Esc a second before the end", true, true, true, {}},
        {"no token (error 5)", false, true, false,
         {"Failed to OpenProcessToken,the reason is5,Please make sure you have the right to shut down!"}},
        {"no privilege (error 1300)", true, false, false,
         {"Failed to SetPrivilege,the reason is 1300,Please make sure you have the right to shut down!"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        platform.tokenOpens = c.tokenOpens;
        platform.privilegeHeld = c.privilegeHeld;
        requestsWhenPrepared = -1;
        Open();
        platform.AdvanceMs(21000);
        if (c.cancelled) view->PressEscape();
        platform.AdvanceMs(5000);
        EXPECT_EQ(platform.messageBoxes, c.boxes);
        platform.messageBoxes.clear();
        EXPECT_EQ(platform.powerOffRequests, 0);
        EXPECT_EQ(requestsWhenPrepared, -1);
        EXPECT_EQ(view->IsOpen(), !c.cancelled);
    }
}

} // namespace
} // namespace hv::testing
