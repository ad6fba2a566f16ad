#include "dialogs/ShutdownScheduleDialog.h"
#include "framework/fake/FakePlatform.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <array>

namespace hv {
namespace {

constexpr const char* kActivate = "Active Selected ShutDown Schedule";
constexpr const char* kDeactivate = "DeActive Current ShutDown Schedule";
constexpr const char* kNoSchedule = "No ShutDown Schedule Actived.";
constexpr std::array kTimeEdits{IDC_AFTER_HOUR, IDC_AFTER_MINUTE, IDC_AFTER_SECOND,
                                IDC_AT_HOUR,    IDC_AT_MINUTE,    IDC_AT_SECOND};

// The dialog on the fake view; the local clock (UTC in the fake) reads 09:59:50.
class ScheduleDialogTest : public ::testing::Test {
protected:
    FakePlatform platform;
    ShutdownSchedule given;
    std::unique_ptr<ShutdownScheduleDialog> dialog;
    std::unique_ptr<FakeDialogView> view;

    ScheduleDialogTest() { platform.SetNowMicroseconds(MicrosFromUtc(2026, 3, 14, 9, 59, 50)); }

    FakeDialogView& Open() {
        view.reset();
        dialog = std::make_unique<ShutdownScheduleDialog>(platform, given);
        view = std::make_unique<FakeDialogView>(platform, *dialog);
        view->Open();
        return *view;
    }
    void TypeTime(int hourId, const char* hour, const char* minute, const char* second) {
        view->Type(hourId, hour);
        view->Type(hourId + 1, minute);
        view->Type(hourId + 2, second);
    }
    void ExpectEditable(bool editable) {
        for (int id : kTimeEdits) EXPECT_EQ(view->IsEnabled(id), editable) << id;
        EXPECT_EQ(view->IsEnabled(IDC_AFTER), editable);
        EXPECT_EQ(view->IsEnabled(IDC_AT), editable);
        EXPECT_EQ(view->IsEnabled(IDC_AUTO_ARM), !editable);
        EXPECT_EQ(view->Text(IDC_ACTIVATE), editable ? kActivate : kDeactivate);
    }
    const ShutdownSchedule& Result() const { return dialog->Schedule(); }
};

TEST_F(ScheduleDialogTest, InvalidTimesAreReportedWithTheFocusOnTheirEdit) {
    struct Case {
        int edit;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {IDC_AT_HOUR, "24", "Please enter an integer between 0 and 23."},
        {IDC_AT_MINUTE, "60", "Please enter an integer between 0 and 59."},
        {IDC_AT_SECOND, "-1", "Please enter an integer between 0 and 59."},
        {IDC_AFTER_HOUR, "", "Please enter an integer."},
        {IDC_AFTER_MINUTE, "1a", "Please enter an integer."},
        {IDC_AFTER_SECOND, "99999999999", "Please enter an integer."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        given = ShutdownSchedule{};
        given.atHour = 21;
        Open().Click(IDC_AT);
        // Blanks around a number are accepted; the edit in error is what stops the reading.
        if (c.edit != IDC_AT_HOUR) view->Type(IDC_AT_HOUR, " 7 ");
        view->Type(c.edit, c.text);
        platform.messageBoxes.clear();
        view->Click(IDC_ACTIVATE);
        EXPECT_EQ(platform.messageBoxes, std::vector<std::string>{c.message});
        EXPECT_EQ(view->FocusedControl(), c.edit);
        EXPECT_EQ(view->Text(IDC_ACTIVATE), kActivate);
        view->PressEnter();  // "Close" reads the controls too, and stays
        EXPECT_TRUE(view->IsOpen());
        EXPECT_EQ(platform.messageBoxes.size(), 2u);
        view->PressEscape();
        EXPECT_EQ(Result(), given);  // nothing of a failed reading is kept
    }
}

TEST_F(ScheduleDialogTest, ActivationArmsAndDeactivationDisarms) {
    Open();
    EXPECT_EQ(view->Caption(), "ShutDown...");
    EXPECT_EQ(view->Text(IDC_SHUTDOWN_STATUS), kNoSchedule);
    EXPECT_FALSE(view->IsChecked(IDC_AFTER) || view->IsChecked(IDC_AT));
    ExpectEditable(true);
    // Neither mode chosen: activation changes nothing.
    view->Click(IDC_ACTIVATE);
    EXPECT_EQ(Result().kind, kShutdownNone);
    ExpectEditable(true);

    // The modes are exclusive although each is a group of its own.
    view->Click(IDC_AT);
    view->Click(IDC_AFTER);
    EXPECT_FALSE(view->IsChecked(IDC_AT));
    TypeTime(IDC_AFTER_HOUR, "1", "2", "3");
    view->Click(IDC_ACTIVATE);
    EXPECT_EQ(Result().kind, kShutdownAfterDelay);
    EXPECT_FALSE(Result().disarmed);
    EXPECT_EQ(Result().secondsLeft, 3723);
    ExpectEditable(false);
    EXPECT_TRUE(view->TimerRunning(200));
    EXPECT_FALSE(view->IsChecked(IDC_AUTO_ARM));

    view->Click(IDC_AUTO_ARM);
    view->Click(IDC_ACTIVATE);
    EXPECT_EQ(Result().kind, kShutdownNone);
    EXPECT_TRUE(Result().disarmed);
    EXPECT_TRUE(Result().atStartup);  // read before the box was cleared
    ExpectEditable(true);
    EXPECT_FALSE(view->IsChecked(IDC_AUTO_ARM));
    EXPECT_FALSE(view->IsChecked(IDC_AFTER));
    EXPECT_FALSE(view->TimerRunning(200));
    EXPECT_EQ(view->Text(IDC_SHUTDOWN_STATUS), kNoSchedule);

    // Armed again at a time: the start-up box is offered again, unchecked.
    view->Click(IDC_AT);
    view->Click(IDC_ACTIVATE);
    EXPECT_EQ(Result().kind, kShutdownAtTime);
    EXPECT_TRUE(view->IsEnabled(IDC_AUTO_ARM));
    EXPECT_FALSE(view->IsChecked(IDC_AUTO_ARM));
    // "Close" reads the box; Esc would have kept the value last read.
    view->Click(IDC_AUTO_ARM);
    view->PressEnter();
    EXPECT_EQ(view->Result(), kIdOk);
    EXPECT_TRUE(Result().atStartup);
}

TEST_F(ScheduleDialogTest, OpensAsTheScheduleStands) {
    // Armed at a time: shown with its time, counting, only the start-up box to change.
    given.kind = kShutdownAtTime;
    given.disarmed = false;
    given.atHour = 22;
    given.atMinute = 5;
    given.atStartup = true;
    Open();
    EXPECT_TRUE(view->IsChecked(IDC_AT));
    EXPECT_FALSE(view->IsChecked(IDC_AFTER));
    EXPECT_EQ(view->Text(IDC_AT_HOUR), "22");
    EXPECT_EQ(view->Text(IDC_AT_MINUTE), "5");
    EXPECT_TRUE(view->IsChecked(IDC_AUTO_ARM));
    ExpectEditable(false);
    EXPECT_TRUE(view->TimerRunning(200));
    // Esc does not read the controls.
    view->Click(IDC_AUTO_ARM);
    view->PressEscape();
    EXPECT_EQ(Result(), given);

    // Fallen due (or cancelled): nothing armed, the old mode still checked.
    given.kind = kShutdownAfterDelay;
    given.disarmed = true;
    Open();
    EXPECT_TRUE(view->IsChecked(IDC_AFTER));
    ExpectEditable(true);
    EXPECT_EQ(view->Text(IDC_SHUTDOWN_STATUS), kNoSchedule);
    EXPECT_FALSE(view->TimerRunning(200));
    view->PressEscape();
    EXPECT_EQ(Result().kind, kShutdownNone);
}

TEST_F(ScheduleDialogTest, StatusCountsDownAndTheDialogClosesInTime) {
    Open().Click(IDC_AFTER);
    TypeTime(IDC_AFTER_HOUR, "1", "1", "2");
    view->Click(IDC_ACTIVATE);
    platform.AdvanceMs(1000);
    EXPECT_EQ(view->Text(IDC_SHUTDOWN_STATUS), "  System will be ShutDown within\r\n       1(Hour):1(Min):2(Sec)");
    platform.AdvanceMs(1000);
    EXPECT_EQ(view->Text(IDC_SHUTDOWN_STATUS), "  System will be ShutDown within\r\n       1(Hour):1(Min):1(Sec)");

    // One second before now is almost a day away.
    Open().Click(IDC_AT);
    TypeTime(IDC_AT_HOUR, "9", "59", "51");
    view->Click(IDC_ACTIVATE);
    platform.AdvanceMs(1000);  // now 09:59:53
    EXPECT_EQ(view->Text(IDC_SHUTDOWN_STATUS), "  System will be ShutDown within\r\n       23(Hour):59(Min):58(Sec)");
    EXPECT_TRUE(view->IsOpen());

    // Eleven seconds ahead: shown once, then handed over ten seconds before.
    view->Click(IDC_ACTIVATE);
    view->Click(IDC_AT);
    TypeTime(IDC_AT_HOUR, "10", "0", "5");
    view->Click(IDC_ACTIVATE);
    platform.AdvanceMs(1000);  // 09:59:54
    EXPECT_EQ(view->Text(IDC_SHUTDOWN_STATUS), "  System will be ShutDown within\r\n       0(Hour):0(Min):11(Sec)");
    platform.AdvanceMs(1000);
    EXPECT_FALSE(view->IsOpen());
    EXPECT_EQ(view->Result(), kIdOk);
    EXPECT_EQ(Result().kind, kShutdownAtTime);
    EXPECT_FALSE(Result().disarmed);
}

} // namespace
} // namespace hv
