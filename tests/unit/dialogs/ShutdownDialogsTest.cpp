#include "dialogs/DialogFixture.h"
#include "dialogs/ShutdownCountdownDialog.h"
#include "dialogs/ShutdownScheduleDialog.h"
#include "res/resource.h"

namespace hv::testing {
namespace {

// The local clock (UTC in the fake) reads 09:59:50.
class ScheduleDialogTest : public DialogFixture<ShutdownScheduleDialog> {
protected:
    ShutdownSchedule given;

    ScheduleDialogTest() { platform.SetNowMicroseconds(MicrosFromUtc(2026, 3, 14, 9, 59, 50)); }

    FakeDialogView& Open() { return OpenWith(platform, given); }
    // Nothing armed: modes and times editable, the start-up box not; armed, the reverse.
    void ExpectEditable(bool editable) {
        for (int id = IDC_AFTER_HOUR; id <= IDC_AT_SECOND; ++id) EXPECT_EQ(view->IsEnabled(id), editable) << id;
        EXPECT_EQ(view->IsEnabled(IDC_AFTER) && view->IsEnabled(IDC_AT), editable);
        EXPECT_EQ(view->IsEnabled(IDC_AUTO_ARM), !editable);
        EXPECT_EQ(view->Text(IDC_ACTIVATE),
                  editable ? "Active Selected ShutDown Schedule" : "DeActive Current ShutDown Schedule");
        EXPECT_EQ(view->TimerRunning(200), !editable);
    }
    const ShutdownSchedule& Result() const { return dialog->Schedule(); }
};

TEST_F(ScheduleDialogTest, InvalidTimesAreReportedWithTheFocusOnTheirEdit) {
    const std::tuple<int, const char*, const char*> cases[] = {
        {IDC_AT_HOUR, "24", "Please enter an integer between 0 and 23."},
        {IDC_AT_SECOND, "-1", "Please enter an integer between 0 and 59."},
        {IDC_AFTER_MINUTE, "60", "Please enter an integer between 0 and 59."},
        {IDC_AFTER_SECOND, "1a", "Please enter an integer."},
    };
    for (const auto& [edit, text, message] : cases) {
        SCOPED_TRACE(text);
        platform.messageBoxes.clear();
        Open().Click(IDC_AT);
        if (edit != IDC_AT_HOUR) view->Type(IDC_AT_HOUR, " 7 "); // blanks around are fine
        view->Type(edit, text);
        view->Click(IDC_ACTIVATE);
        view->PressEnter(); // "Close" reads the controls too
        EXPECT_EQ(platform.messageBoxes, std::vector<std::string>(2, message));
        EXPECT_EQ(view->FocusedControl(), edit);
        EXPECT_TRUE(view->IsOpen());
        ExpectEditable(true);
        view->PressEscape();
        EXPECT_EQ(Result(), given); // nothing of a failed reading is kept
    }
}

// Arming at a time, and "Close" reading the start-up box, are ShutdownTest's (tests/unit/app).
TEST_F(ScheduleDialogTest, ActivationArmsAndDeactivationDisarmsAndTheStatusShowsWhatIsLeft) {
    Open();
    ExpectEditable(true);
    // The modes are exclusive although each is a group of its own.
    view->Click(IDC_AT);
    view->Click(IDC_AFTER);
    EXPECT_FALSE(view->IsChecked(IDC_AT));
    view->Type(IDC_AFTER_HOUR, "1");
    view->Type(IDC_AFTER_MINUTE, "2");
    view->Type(IDC_AFTER_SECOND, "3");
    view->Click(IDC_ACTIVATE);
    EXPECT_TRUE(Result().IsArmed());
    EXPECT_EQ(Result().secondsLeft, 3723);
    ExpectEditable(false);

    view->Click(IDC_AUTO_ARM);
    view->Click(IDC_ACTIVATE);
    EXPECT_EQ(Result().kind, kShutdownNone);
    EXPECT_FALSE(Result().IsArmed());
    ExpectEditable(true);
    EXPECT_FALSE(view->IsChecked(IDC_AUTO_ARM) || view->IsChecked(IDC_AFTER));
    EXPECT_EQ(view->Text(IDC_SHUTDOWN_STATUS), "No ShutDown Schedule Actived.");

    view->Click(IDC_AT);
    view->Type(IDC_AT_HOUR, "9");
    view->Type(IDC_AT_MINUTE, "59");
    view->Type(IDC_AT_SECOND, "49"); // 09:59:49, one second before now: almost a day away
    view->Click(IDC_ACTIVATE);
    platform.AdvanceMs(1000);
    EXPECT_EQ(view->Text(IDC_SHUTDOWN_STATUS), "  System will be ShutDown within\r\n       23(Hour):59(Min):58(Sec)");
}

TEST_F(ScheduleDialogTest, OpensAsTheScheduleStands) {
    given.kind = kShutdownAtTime;
    given.disarmed = false;
    given.atHour = 22;
    Open();
    EXPECT_TRUE(view->IsChecked(IDC_AT));
    EXPECT_EQ(view->Text(IDC_AT_HOUR), "22");
    ExpectEditable(false);
    // Esc does not read the controls.
    view->Click(IDC_AUTO_ARM);
    view->PressEscape();
    EXPECT_EQ(Result(), given);

    // Fallen due or cancelled: nothing armed, the old mode still checked.
    given.kind = kShutdownAfterDelay;
    given.disarmed = true;
    Open();
    EXPECT_TRUE(view->IsChecked(IDC_AFTER));
    ExpectEditable(true);
    view->PressEscape();
    EXPECT_EQ(Result().kind, kShutdownNone);
}

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
        EXPECT_EQ(view->Text(IDC_COUNTDOWN_LABEL),
                  "System will be ShutDown within " + std::to_string(shown) + " seconds!");
    }
    EXPECT_EQ(platform.powerOffRequests, 0);
    platform.AdvanceMs(1000); // tick 22
    EXPECT_EQ(platform.privilegesEnabled, std::vector<std::string>{"SeShutdownPrivilege"});
    EXPECT_EQ(platform.powerOffRequests, 1);
    EXPECT_EQ(requestsWhenPrepared, 0);
    EXPECT_TRUE(view->IsOpen()) << "until the session ends";
    EXPECT_FALSE(view->TimerRunning(106));
}

// A refused privilege is reported with the system's number and leaves the window open. Alt+F4
// is the shutdown end-to-end test's, Esc ShutdownTest's (tests/unit/app).
TEST_F(CountdownTest, WithoutTheRightToShutDownItSwitchesNothingOff) {
    const std::tuple<bool, bool, const char*> cases[] = {
        // the token opens, the privilege is held
        {false, true, "Failed to OpenProcessToken,the reason is5,Please make sure you have the right to shut down!"},
        {true, false, "Failed to SetPrivilege,the reason is 1300,Please make sure you have the right to shut down!"},
    };
    for (const auto& [tokenOpens, privilegeHeld, box] : cases) {
        platform.tokenOpens = tokenOpens;
        platform.privilegeHeld = privilegeHeld;
        platform.messageBoxes.clear();
        Open();
        platform.AdvanceMs(26000);
        EXPECT_EQ(platform.messageBoxes, std::vector<std::string>{box});
        EXPECT_EQ(platform.powerOffRequests, 0);
        EXPECT_EQ(requestsWhenPrepared, -1);
        EXPECT_TRUE(view->IsOpen());
    }
}

} // namespace
} // namespace hv::testing
