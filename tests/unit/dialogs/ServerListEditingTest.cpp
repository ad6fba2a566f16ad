#include "app/MainFrameFixture.h"
#include "dialogs/AddServerDialog.h"
#include "dialogs/OptionsDialogFixture.h"
#include "settings/ServerList.h"

namespace hv::testing {
namespace {

using Cells = std::vector<std::string>;

bool ButtonsEnabled(FakeDialogView& view) {
    for (int id : {IDC_TEST_SERVER, IDC_ADD_SERVER, IDC_DELETE_SERVER, IDC_SET_DEFAULT, IDC_FIND_BEST, kIdOk,
                   kIdCancel}) {
        if (!view.IsEnabled(id)) return false;
    }
    return true;
}

Cells Delays(FakeDialogView& view) {
    Cells delays;
    for (const Cells& row : view.List(IDC_SERVER_LIST).rows) delays.push_back(row[2]);
    return delays;
}

TEST_F(OptionsDialogTest, EditingTheListKeepsTheDefaultByItsNumber) {
    FakeDialogView& options = Open();
    EXPECT_EQ(options.Text(IDC_DEFAULT_LABEL), "Current Default Server:b.test");
    options.SelectRow(IDC_SERVER_LIST, 0);
    options.Click(IDC_SET_DEFAULT);
    // Deleting the default row leaves the label; the number now names the row moved up.
    options.Click(IDC_DELETE_SERVER);
    EXPECT_EQ(options.Text(IDC_DEFAULT_LABEL), "Current Default Server:10.0.0.1");
    platform.dialogScripts[IDD_ADD_SERVER] = [](FakeDialogView& adding) {
        adding.Type(IDC_SERVER_ADDRESS, "time.example.org");
        adding.PressEnter();
    };
    options.Click(IDC_ADD_SERVER);
    options.PressEnter();
    EXPECT_EQ(dialog->Chosen().serverList, "Beta(b.test)?Gamma(10.0.0.3)?Undefined(time.example.org)?0");
}

TEST_F(OptionsDialogTest, TenServersAreAsManyAsTheListHolds) {
    const std::string ten = "A(a)?B(b)?C(c)?D(d)?E(e)?F(f)?G(g)?H(h)?I(i)?J(j)?9";
    settings.serverList = ten;
    FakeDialogView& options = Open();
    platform.dialogScripts[IDD_ADD_SERVER] = [](FakeDialogView& adding) {
        adding.Type(IDC_SERVER_ADDRESS, "eleven.example");
        adding.PressEnter();
    };
    options.Click(IDC_ADD_SERVER);
    EXPECT_EQ(options.ListRowCount(IDC_SERVER_LIST), 10);
    options.PressEnter();
    EXPECT_EQ(dialog->Chosen().serverList, ten);
}

TEST_F(MainFrameTest, DeletingEveryRowGivesTheDigitAloneWhichTheBuiltInListReplaces) {
    StartQuiet();
    Settings settings = SavedSettings();
    settings.serverList = kThreeServers;
    OptionsDialog dialog(platform, settings);
    FakeDialogView options(platform, dialog);
    options.Open();
    while (options.SelectRow(IDC_SERVER_LIST, 0)) options.Click(IDC_DELETE_SERVER);
    options.PressEnter();
    EXPECT_EQ(dialog.Chosen().serverList, "1");
    frame->ApplyPreferences(dialog.Chosen());
    EXPECT_EQ(SavedSettings().serverList, DEFAULT_SERVER_LIST);
}

TEST_F(OptionsDialogTest, FindBestChoosesTheEarliestOfTheFastest) {
    FakeDialogView& options = Open();
    options.Click(IDC_FIND_BEST);
    EXPECT_FALSE(ButtonsEnabled(options));
    for (double delay : {0.050, 0.030, 0.030}) {
        ASSERT_TRUE(AwaitRequest());
        Answer(delay);
    }
    platform.AdvanceMs(3000);
    EXPECT_EQ(Delays(options), (Cells{"0.050sec", "0.030sec", "0.030sec"}));
    EXPECT_TRUE(ButtonsEnabled(options));
    EXPECT_EQ(options.SelectedListRow(IDC_SERVER_LIST), 1);
    options.PressEnter();
    EXPECT_EQ(DefaultServerIndex(dialog->Chosen().serverList), 1);
}

TEST_F(OptionsDialogTest, FindBestWithoutAnAnswerInTimeKeepsTheDefault) {
    settings.serverList = "Alpha(10.0.0.1)?Beta(b.test)?Gamma(10.0.0.3)?2";
    FakeDialogView& options = Open();
    options.Click(IDC_FIND_BEST);
    ASSERT_TRUE(AwaitRequest());
    platform.AdvanceMs(9400);  // after the last poll: the cell stays empty
    Answer(9.4);
    ASSERT_TRUE(AwaitRequest());
    ASSERT_TRUE(AwaitRequest());
    EXPECT_FALSE(ButtonsEnabled(options)) << "the third server still has its time";
    platform.AdvanceMs(11000);
    EXPECT_EQ(Delays(options), (Cells{"", "Error", "Error"}));
    EXPECT_TRUE(ButtonsEnabled(options));
    EXPECT_EQ(options.Text(IDC_DEFAULT_LABEL), "Current Default Server:10.0.0.3");
    options.PressEnter();
    EXPECT_EQ(DefaultServerIndex(dialog->Chosen().serverList), 2);
}

TEST_F(OptionsDialogTest, FindBestOnAnEmptyListEndsAfterOneStep) {
    settings.serverList = "no address?3";
    FakeDialogView& options = Open();
    options.Click(IDC_FIND_BEST);
    platform.AdvanceMs(1000);
    EXPECT_TRUE(ButtonsEnabled(options));
    EXPECT_EQ(options.Text(IDC_DEFAULT_LABEL), "Current Default Server:");
    options.PressEnter();
    EXPECT_EQ(dialog->Chosen().serverList, "3");
}

// An untitled server is named "Undefined" (EditingTheListKeepsTheDefaultByItsNumber).
TEST(AddServerDialog, RefusesWhatTheListCannotStore) {
    const std::string badInput = "Please Check Your input!", refused = "Please Check your input,Error to add new server!";
    const struct {
        const char *title, *address;
        bool checked;  // Check Server sent a request
        std::vector<std::string> boxes;  // none: added
    } cases[] = {
        {"Lab", "a(b", false, {badInput, refused}},
        {"Lab", "", false, {badInput, refused}},
        {"Lab?", "b.test", true, {refused}},
        {"", "b.test", true, {}},
    };
    for (const auto& c : cases) {
        FakePlatform platform;
        platform.hosts["b.test"] = {0x0A000002};
        AddServerDialog adding(platform);
        FakeDialogView form(platform, adding);
        form.Open();
        form.Type(IDC_SERVER_TITLE, c.title);
        form.Type(IDC_SERVER_ADDRESS, c.address);
        form.Click(IDC_CHECK_SERVER);
        platform.AdvanceMs(0);  // the name is looked up
        EXPECT_EQ(platform.sent.size(), c.checked ? 1u : 0u) << c.title << c.address;
        form.PressEnter();
        EXPECT_EQ(platform.messageBoxes, c.boxes) << c.title << c.address;
        EXPECT_EQ(form.IsOpen(), !c.boxes.empty()) << c.title << c.address;
    }
}

// Names are looked up without holding the dialogs up; a look-up that never ends runs out
// with the measurement, one that finds nothing fails as a send, and closing ends it.
TEST_F(OptionsDialogTest, NamesAreLookedUpInTheBackgroundByBothDialogs) {
    platform.lookupsNeverAnswer = true;
    FakeDialogView& options = Open();
    options.SelectRow(IDC_SERVER_LIST, 1);  // b.test
    options.Click(IDC_TEST_SERVER);
    EXPECT_EQ(platform.PendingLookupCount(), 1);
    platform.AdvanceMs(10000);
    EXPECT_EQ(options.ListCell(IDC_SERVER_LIST, 1, 2), "Error");
    EXPECT_EQ(platform.PendingLookupCount(), 0);
    EXPECT_TRUE(ButtonsEnabled(options));
    options.Click(IDC_TEST_SERVER);
    options.PressEscape();
    EXPECT_EQ(platform.PendingLookupCount(), 0) << "closed with the dialog";

    platform.lookupsNeverAnswer = false;
    platform.lookupDelayMs = 500;
    const std::size_t sentBefore = platform.sent.size();
    for (const bool known : {true, false}) {
        AddServerDialog adding(platform);
        FakeDialogView form(platform, adding);
        form.Open();
        form.Type(IDC_SERVER_ADDRESS, known ? "b.test" : "no.such.test");
        form.Click(IDC_CHECK_SERVER);
        platform.AdvanceMs(1000);  // looked up, then polled once
        EXPECT_EQ(form.IsEnabled(IDC_CHECK_SERVER), !known) << "checking until the reply or the time-out";
        EXPECT_EQ(platform.sent.size(), sentBefore + 1);
        form.PressEscape();
    }
    EXPECT_EQ(platform.messageBoxes, std::vector<std::string>{
                                         "Error to send data,please Check your Internet Connection or the new Server address!"});
}

} // namespace
} // namespace hv::testing
