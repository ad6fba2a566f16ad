#include "dialogs/AddServerDialog.h"
#include "dialogs/OptionsDialogFixture.h"
#include "settings/ServerList.h"

namespace hv::testing {
namespace {

using Cells = std::vector<std::string>;
constexpr const char* kDefaultLabel = "Current Default Server:";

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

void WillAdd(FakePlatform& platform, const char* address) {
    platform.dialogScripts[IDD_ADD_SERVER] = [address](FakeDialogView& adding) {
        adding.Type(IDC_SERVER_ADDRESS, address);
        adding.PressEnter();
    };
}

TEST_F(OptionsDialogTest, EditingTheListKeepsTheDefaultByItsNumber) {
    FakeDialogView& options = Open();
    EXPECT_EQ(options.Text(IDC_DEFAULT_LABEL), "Current Default Server:b.test");
    options.SelectRow(IDC_SERVER_LIST, 0);
    options.Click(IDC_SET_DEFAULT);
    // Deleting the default row leaves the label; the number now names the row moved up.
    options.Click(IDC_DELETE_SERVER);
    EXPECT_EQ(options.Text(IDC_DEFAULT_LABEL), "Current Default Server:10.0.0.1");
    WillAdd(platform, "time.example.org");
    options.Click(IDC_ADD_SERVER);
    options.PressEnter();
    EXPECT_EQ(dialog->Chosen().serverList, "Beta(b.test)?Gamma(10.0.0.3)?Undefined(time.example.org)?0");

    // With every row deleted the number stands alone (the built-in list replaces it).
    Open();
    while (view->SelectRow(IDC_SERVER_LIST, 0)) view->Click(IDC_DELETE_SERVER);
    view->PressEnter();
    EXPECT_EQ(dialog->Chosen().serverList, "1");
}

TEST_F(OptionsDialogTest, TenServersAreAsManyAsTheListHolds) {
    settings.serverList = "A(a)?B(b)?C(c)?D(d)?E(e)?F(f)?G(g)?H(h)?I(i)?J(j)?9";
    WillAdd(platform, "eleven.example");
    Open().Click(IDC_ADD_SERVER);
    EXPECT_EQ(view->ListRowCount(IDC_SERVER_LIST), 10);
    view->PressEnter();
    EXPECT_EQ(dialog->Chosen().serverList, settings.serverList);
}

// Each server in turn, then the fastest measured: of equal delays the earlier row. No
// reply, one slower than three seconds or one after the last poll is no candidate; with
// none the default stays.
TEST_F(OptionsDialogTest, FindBestChoosesFromTheDelaysMeasured) {
    constexpr double kNoReply = -1, kAfterLastPoll = -2;
    const struct {
        const char* what;
        const char* list;
        std::vector<double> replies;
        Cells shown;
        const char* defaultShown;
        int selected, chosen;
    } cases[] = {
        {"the earliest of the fastest", "Alpha(10.0.0.1)?Beta(b.test)?Gamma(10.0.0.3)?0", {0.050, 0.030, 0.030},
         {"0.050sec", "0.030sec", "0.030sec"}, "b.test", 1, 1},
        {"none usable", "Alpha(10.0.0.1)?Beta(b.test)?Gamma(10.0.0.3)?2", {kAfterLastPoll, 3.5, kNoReply},
         {"", "Error", "Error"}, "10.0.0.3", 2, 2},
        {"an empty list", "no address?3", {}, {}, "", -1, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        settings.serverList = c.list;
        FakeDialogView& options = Open();
        options.Click(IDC_FIND_BEST);
        for (double reply : c.replies) {
            ASSERT_TRUE(AwaitRequest());
            EXPECT_FALSE(ButtonsEnabled(options));
            if (reply == kAfterLastPoll) platform.AdvanceMs(9400);
            if (reply != kNoReply) Answer(reply == kAfterLastPoll ? 0.1 : reply);
        }
        platform.AdvanceMs(11000);
        EXPECT_EQ(Delays(options), c.shown);
        EXPECT_TRUE(ButtonsEnabled(options));
        EXPECT_EQ(options.Text(IDC_DEFAULT_LABEL), std::string(kDefaultLabel) + c.defaultShown);
        EXPECT_EQ(options.SelectedListRow(IDC_SERVER_LIST), c.selected);
        options.PressEnter();
        EXPECT_EQ(DefaultServerIndex(dialog->Chosen().serverList), c.chosen);
    }
}

// An untitled server is named "Undefined" (EditingTheListKeepsTheDefaultByItsNumber).
TEST(AddServerDialog, ChecksAndAcceptsWhatTheListCanStore) {
    const std::string badInput = "Please Check Your input!", refused = "Please Check your input,Error to add new server!",
                      sendFailed = "Error to send data,please Check your Internet Connection or the new Server address!";
    const struct {
        const char *what, *title, *address;
        bool checking;  // a second after Check Server, a request awaits its reply
        std::vector<std::string> boxes;
        bool added;
    } cases[] = {
        {"a bracket in the address", "Lab", "a(b", false, {badInput, refused}, false},
        {"no address", "Lab", "", false, {badInput, refused}, false},
        {"a question mark in the title", "Lab?", "b.test", true, {refused}, false},
        {"an unknown name", "", "no.such.test", false, {sendFailed}, true},
        {"an IPv6 address", "", "2001:db8::123", true, {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakePlatform platform;
        platform.hosts["b.test"] = {0x0A000002};
        AddServerDialog adding(platform);
        FakeDialogView form(platform, adding);
        form.Open();
        form.Type(IDC_SERVER_TITLE, c.title);
        form.Type(IDC_SERVER_ADDRESS, c.address);
        form.Click(IDC_CHECK_SERVER);
        platform.AdvanceMs(1000);  // looked up, then polled once
        EXPECT_EQ(platform.sent.size(), c.checking ? 1u : 0u);
        EXPECT_EQ(form.IsEnabled(IDC_CHECK_SERVER), !c.checking);
        form.PressEnter();
        EXPECT_EQ(platform.messageBoxes, c.boxes);
        EXPECT_EQ(form.IsOpen(), !c.added);
    }
}

// Names are looked up without holding a dialog up; a look-up that never ends runs out with
// the measurement, and closing the dialog ends it.
TEST_F(OptionsDialogTest, NamesAreLookedUpInTheBackgroundUntilTheDialogCloses) {
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
    EXPECT_EQ(platform.PendingLookupCount(), 0);

    AddServerDialog adding(platform);
    FakeDialogView form(platform, adding);
    form.Open();
    form.Type(IDC_SERVER_ADDRESS, "b.test");
    form.Click(IDC_CHECK_SERVER);
    EXPECT_EQ(platform.PendingLookupCount(), 1);
    form.PressEscape();
    EXPECT_EQ(platform.PendingLookupCount(), 0);
}

} // namespace
} // namespace hv::testing
