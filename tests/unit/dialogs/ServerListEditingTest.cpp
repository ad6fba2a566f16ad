#include "app/MainFrameFixture.h"
#include "dialogs/AddServerDialog.h"
#include "dialogs/OptionsDialogFixture.h"
#include "settings/ServerList.h"

#include <regex>

namespace hv::testing {
namespace {

const int kLockedButtons[] = {IDC_TEST_SERVER, IDC_ADD_SERVER, IDC_DELETE_SERVER, IDC_SET_DEFAULT,
                              IDC_FIND_BEST,   kIdOk,          kIdCancel};

bool AllEnabled(FakeDialogView& view, bool enabled) {
    for (int id : kLockedButtons) {
        if (view.IsEnabled(id) != enabled) return false;
    }
    return true;
}

TEST_F(OptionsDialogTest, EditingTheListKeepsTheDefaultByItsNumber) {
    FakeDialogView& options = Open();
    for (int id : {IDC_SET_DEFAULT, IDC_DELETE_SERVER, IDC_TEST_SERVER}) options.Click(id);  // no row selected
    EXPECT_EQ(options.List(IDC_SERVER_LIST).rows.size(), 3u);
    EXPECT_TRUE(platform.sent.empty());

    options.SelectRow(IDC_SERVER_LIST, 2);
    options.Click(IDC_SET_DEFAULT);
    EXPECT_EQ(options.Text(IDC_DEFAULT_LABEL), "Current Default Server:10.0.0.3");
    // Deleting the default row leaves the label; the number now names the row that moves up.
    options.SelectRow(IDC_SERVER_LIST, 0);
    options.Click(IDC_SET_DEFAULT);
    options.Click(IDC_DELETE_SERVER);
    EXPECT_EQ(options.Text(IDC_DEFAULT_LABEL), "Current Default Server:10.0.0.1");

    platform.dialogScripts[IDD_ADD_SERVER] = [](FakeDialogView& adding) {
        EXPECT_EQ(adding.Caption(), "Adding New Time Server...");
        adding.Type(IDC_SERVER_ADDRESS, "time.example.org");
        adding.PressEnter();
    };
    options.Click(IDC_ADD_SERVER);
    EXPECT_EQ(options.List(IDC_SERVER_LIST).rows.back(), (std::vector<std::string>{"Undefined", "time.example.org", ""}));
    EXPECT_EQ(options.SelectedListRow(IDC_SERVER_LIST), -1);
    options.PressEnter();
    EXPECT_EQ(dialog->Chosen().serverList, "Beta(b.test)?Gamma(10.0.0.3)?Undefined(time.example.org)?0");
}

TEST_F(OptionsDialogTest, AddServerOpensNothingWithTenRows) {
    settings.serverList.clear();
    for (int i = 0; i < 10; ++i) settings.serverList += "S(10.0.0." + std::to_string(i) + ")?";
    settings.serverList += "0";
    FakeDialogView& options = Open();
    options.Click(IDC_ADD_SERVER);
    EXPECT_TRUE(platform.dialogsRun.empty());
}

TEST_F(MainFrameTest, DeletingEveryRowGivesTheDigitAloneWhichTheBuiltInListReplaces) {
    StartQuiet();
    Settings settings = frame->m_settings;
    settings.serverList = kThreeServers;
    OptionsDialog dialog(platform, settings);
    FakeDialogView options(platform, dialog);
    options.Open();
    while (options.SelectRow(IDC_SERVER_LIST, 0)) options.Click(IDC_DELETE_SERVER);
    options.PressEnter();
    EXPECT_EQ(dialog.Chosen().serverList, "1");
    frame->ApplyPreferences(dialog.Chosen());
    EXPECT_EQ(frame->m_settings.serverList, DEFAULT_SERVER_LIST);
    EXPECT_EQ(frame->m_sntp.ServerAddress(), "time-a-g.nist.gov");
}

TEST_F(OptionsDialogTest, TestServerMeasuresTheSelectedRowWithTheButtonsLocked) {
    FakeDialogView& options = Open();
    options.SelectRow(IDC_SERVER_LIST, 1);
    options.Click(IDC_TEST_SERVER);
    ASSERT_EQ(platform.sent.size(), 1u);
    EXPECT_EQ(platform.sent[0].to.address, 0x0A000002u);
    EXPECT_TRUE(AllEnabled(options, false));
    AnswerAfter(37);
    EXPECT_EQ(Delay(1), "") << "shown at the next poll";
    platform.AdvanceMs(1000);
    EXPECT_EQ(Delay(1), "0.037sec");
    EXPECT_TRUE(AllEnabled(options, true));

    // A reply after the last poll but before the time-out is not shown.
    options.SelectRow(IDC_SERVER_LIST, 0);
    options.Click(IDC_TEST_SERVER);
    AnswerAfter(9500);
    EXPECT_TRUE(AllEnabled(options, false));
    platform.AdvanceMs(500);
    EXPECT_EQ(Delay(0), "");
    EXPECT_TRUE(AllEnabled(options, true));

    // No socket: "Error" at once, and the buttons stay usable.
    platform.failSocketOpen = true;
    options.Click(IDC_TEST_SERVER);
    EXPECT_EQ(Delay(0), "Error");
    EXPECT_TRUE(AllEnabled(options, true));
}

TEST_F(OptionsDialogTest, FindBestMeasuresEveryRowAndChoosesTheEarliestFastest) {
    FakeDialogView& options = Open();
    options.SelectRow(IDC_SERVER_LIST, 0);
    options.Click(IDC_TEST_SERVER);
    AnswerAfter(20);
    platform.AdvanceMs(980);
    EXPECT_EQ(Delay(0), "0.020sec");

    options.Click(IDC_FIND_BEST);
    EXPECT_EQ(Delays(), (std::vector<std::string>(3, ""))) << "earlier results are cleared";
    EXPECT_TRUE(AllEnabled(options, false));
    platform.AdvanceMs(1000);  // the first step sends the first row's request
    for (int delayMs : {50, 30, 30}) {
        AnswerAfter(delayMs);
        platform.AdvanceMs(1000 - delayMs);  // the poll shows it, the next step goes on
    }
    EXPECT_EQ(Delays(), (std::vector<std::string>{"0.050sec", "0.030sec", "0.030sec"}));
    EXPECT_TRUE(AllEnabled(options, true));
    EXPECT_EQ(options.SelectedListRow(IDC_SERVER_LIST), 1);
    EXPECT_EQ(options.Text(IDC_DEFAULT_LABEL), "Current Default Server:b.test");
}

TEST_F(OptionsDialogTest, FindBestWithNoAnswerKeepsTheDefault) {
    FakeDialogView& options = Open();
    options.Click(IDC_FIND_BEST);
    platform.AdvanceMs(25000);
    EXPECT_EQ(platform.sent.size(), 3u);
    EXPECT_EQ(options.SelectedListRow(IDC_SERVER_LIST), 2) << "the selection follows the measurement";
    EXPECT_EQ(Delays(), (std::vector<std::string>{"Error", "Error", ""}));
    EXPECT_TRUE(AllEnabled(options, false));
    platform.AdvanceMs(7000);
    EXPECT_EQ(Delays(), (std::vector<std::string>(3, "Error")));
    EXPECT_TRUE(AllEnabled(options, true));
    EXPECT_EQ(options.Text(IDC_DEFAULT_LABEL), "Current Default Server:b.test");
    options.PressEnter();
    EXPECT_EQ(dialog->Chosen().serverList, kThreeServers);
}

TEST_F(OptionsDialogTest, FindBestOnAnEmptyListEndsAfterOneStep) {
    settings.serverList = "no address here?3";
    FakeDialogView& options = Open();
    EXPECT_EQ(options.Text(IDC_DEFAULT_LABEL), "Current Default Server:");
    options.Click(IDC_FIND_BEST);
    EXPECT_TRUE(AllEnabled(options, false));
    platform.AdvanceMs(1000);
    EXPECT_TRUE(AllEnabled(options, true));
    EXPECT_FALSE(options.TimerRunning(203));
    EXPECT_EQ(options.Text(IDC_DEFAULT_LABEL), "Current Default Server:");
    options.PressEnter();
    EXPECT_EQ(dialog->Chosen().serverList, "3");
}

// --- adding a server ----------------------------------------------------------------------

class AddServerDialogTest : public ::testing::Test {
protected:
    FakePlatform platform;
    AddServerDialog adding{platform};
    FakeDialogView view{platform, adding};

    AddServerDialogTest() {
        platform.hosts["b.test"] = 0x0A000002;
        view.Open();
    }

    void Fill(const char* title, const char* address) {
        view.Type(IDC_SERVER_TITLE, title);
        view.Type(IDC_SERVER_ADDRESS, address);
    }
};

TEST_F(AddServerDialogTest, RefusesWhatTheListCannotStore) {
    struct Case {
        const char* title;
        const char* address;
        const char* onCheck;  // nullptr: the check goes ahead
        bool accepted;
    };
    const Case cases[] = {
        {"Lab", "a(b", "Please Check Your input!", false},
        {"Lab", "ab)", "Please Check Your input!", false},
        {"Lab", "", "Please Check Your input!", false},
        {"Lab?", "b.test", nullptr, false},
        {"La(b", "b.test", nullptr, false},
        {"", "b.test", nullptr, true},
    };
    for (const Case& c : cases) {
        FakePlatform fresh;
        fresh.hosts["b.test"] = 0x0A000002;
        AddServerDialog dialog(fresh);
        FakeDialogView form(fresh, dialog);
        form.Open();
        form.Type(IDC_SERVER_TITLE, c.title);
        form.Type(IDC_SERVER_ADDRESS, c.address);
        form.Click(IDC_CHECK_SERVER);
        EXPECT_EQ(fresh.messageBoxes, c.onCheck ? std::vector<std::string>{c.onCheck} : std::vector<std::string>{})
            << c.title << " " << c.address;
        EXPECT_EQ(fresh.sent.size(), c.onCheck ? 0u : 1u) << c.title << " " << c.address;
        fresh.messageBoxes.clear();
        form.PressEnter();
        EXPECT_EQ(form.IsOpen(), !c.accepted) << c.title << " " << c.address;
        if (!c.accepted) {
            EXPECT_EQ(fresh.messageBoxes, std::vector<std::string>{"Please Check your input,Error to add new server!"});
        }
    }
}

TEST_F(AddServerDialogTest, AnEmptyTitleIsStoredAsUndefined) {
    Fill("", "b.test");
    view.PressEnter();
    EXPECT_EQ(view.Result(), kIdOk);
    EXPECT_EQ(adding.Title(), "Undefined");
    EXPECT_EQ(adding.Address(), "b.test");
}

TEST_F(AddServerDialogTest, CheckServerReportsTheDelayOrTheSilence) {
    Fill("Lab", "b.test");
    view.Click(IDC_CHECK_SERVER);
    EXPECT_FALSE(view.IsEnabled(IDC_CHECK_SERVER));
    platform.AdvanceMs(9999);
    EXPECT_FALSE(view.IsEnabled(IDC_CHECK_SERVER));
    platform.AdvanceMs(1);
    EXPECT_EQ(view.Text(IDC_CHECK_REPORT), "b.test doesn't send response data back!");
    EXPECT_TRUE(view.IsEnabled(IDC_CHECK_SERVER));

    // A reply after the last poll is still reported at the time-out.
    view.Click(IDC_CHECK_SERVER);
    platform.AdvanceMs(9500);
    const auto& request = platform.sent.back();
    const double now = NtpSecondsFromUnixMicros(platform.NowMicroseconds());
    const NtpPacketBytes reply = test::ReplyTo(request.bytes, now, now);
    platform.Deliver(Datagram{{reply.begin(), reply.end()}, request.to});
    platform.AdvanceMs(500);
    EXPECT_EQ(view.Text(IDC_CHECK_REPORT), "Netdelay is 9.500 sec");
    EXPECT_TRUE(platform.messageBoxes.empty());

    view.Type(IDC_SERVER_ADDRESS, "nowhere.test");
    view.Click(IDC_CHECK_SERVER);
    platform.failSocketOpen = true;
    view.Click(IDC_CHECK_SERVER);
    EXPECT_EQ(platform.messageBoxes,
              (std::vector<std::string>{
                  "Error to send data,please Check your Internet Connection or the new Server address!",
                  "Error to create socket!"}));
    EXPECT_TRUE(view.IsEnabled(IDC_CHECK_SERVER));
}

} // namespace
} // namespace hv::testing
