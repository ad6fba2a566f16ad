#include "app/CommandIds.h"
#include "app/MainFrameFixture.h"
#include "app/TimerIds.h"
#include "dialogs/AddServerDialog.h"
#include "dialogs/DialogFixture.h"
#include "dialogs/OptionsDialog.h"
#include "settings/ServerList.h"

namespace hv::testing {
namespace {

// The options dialog over three servers, the second (b.test, at 10.0.0.2) the default.
class OptionsDialogTest : public DialogFixture<OptionsDialog> {
protected:
    Settings settings;

    OptionsDialogTest() {
        platform.hosts["b.test"] = {0x0A000002};
        settings.serverList = "Alpha(10.0.0.1)?Beta(b.test)?Gamma(10.0.0.3)?1";
        settings.bellFile = "C:\\Horvane\\bell.wav";
    }

    FakeDialogView& Open() { return OpenWith(platform, settings); }

    // Lets time pass until the dialog sends its next request; false when none comes.
    bool AwaitRequest() {
        const std::size_t before = platform.sent.size();
        for (int waited = 0; waited < 20000 && platform.sent.size() == before; waited += 100) platform.AdvanceMs(100);
        return platform.sent.size() > before;
    }

    // The server answers the last request now, its timestamps making the delay `seconds`:
    // (T4 - T1) - (T3 - T2).
    void Answer(double seconds) {
        const auto& request = platform.sent.back();
        const double t1 = NtpSecondsFromUnixMicros(request.sentAtMicros);
        const double t4 = NtpSecondsFromUnixMicros(platform.NowMicroseconds());
        const NtpPacketBytes reply = ReplyTo(request.bytes, t4, t4 + (t4 - t1) - seconds);
        platform.Deliver(Datagram{{reply.begin(), reply.end()}, request.to});
    }
};

TEST_F(OptionsDialogTest, IntervalLabelShowsThePeriodTheTimerRuns) {
    FakeDialogView& options = Open();
    const std::pair<int, const char*> cases[] = {
        {0, "Interval:00(Hour)-30(Min)"}, {47, "Interval:12(Hour)-15(Min)"}, {100, "Interval:25(Hour)-30(Min)"}};
    for (const auto& [position, label] : cases) {
        options.DragTrackbar(IDC_SYNC_INTERVAL, position);
        EXPECT_EQ(options.Text(IDC_INTERVAL_LABEL), label) << position;
    }
}

TEST_F(OptionsDialogTest, PickersChooseTheChimeAmongWaveFilesAndColoursFromBlack) {
    FakeDialogView& options = Open();
    options.Click(IDC_BG_COLOUR);
    EXPECT_EQ(platform.colourPickerStarts, std::vector<Colour>{0});
    options.Click(IDC_TEST_MUSIC); // plays with the chime off too
    options.Click(IDC_BROWSE);     // cancelled: nothing changes
    platform.fileToPick = "D:\\gong.wav";
    options.Click(IDC_BROWSE);
    EXPECT_EQ(platform.filePickerFilters.back(), "Wave Files (*.wav)|*.wav");
    options.Click(IDC_TEST_MUSIC);
    EXPECT_EQ(platform.soundsPlayed, (std::vector<std::string>{"C:\\Horvane\\bell.wav", "D:\\gong.wav"}));
    options.PressEnter();
    EXPECT_EQ(dialog->Chosen().bellFile, "D:\\gong.wav");
}

// Whether an unchanged step keeps the timer's phase is ApplyPreferences' (CommandRoutingTest);
// what Cancel leaves, the Preferences end-to-end test's.
TEST_F(MainFrameTest, PreferencesOpenOnceAndOkStoresAStepFromOutsideTheRangeAtItsEnd) {
    // Half an hour, and 25 hours 30 minutes.
    for (const auto& [stored, shown, periodMs] : {std::tuple{"-3", 0, 1800000u}, std::tuple{"250", 100, 91800000u}}) {
        Start("[auto]=1\r\n[diff]=" + std::string(stored) + "\r\n[alsh]=0\r\n[bash]=0\r\n");
        platform.dialogsRun.clear();
        platform.dialogScripts[IDD_OPTIONS] = [&](FakeDialogView& options) {
            frame->OnCommand(kCmdPreferences); // a second request while open is ignored
            options.PressEnter();
        };
        frame->OnCommand(kCmdPreferences);
        EXPECT_EQ(platform.dialogsRun, std::vector<int>{IDD_OPTIONS});
        EXPECT_EQ(SavedSettings().autoSyncStep, shown) << stored;
        EXPECT_EQ(platform.timers.at(kTimerAutoSync).periodMs, periodMs) << stored;
        frame.reset();
    }
}

using Cells = std::vector<std::string>;

bool ButtonsEnabled(FakeDialogView& view) {
    for (int id :
         {IDC_TEST_SERVER, IDC_ADD_SERVER, IDC_DELETE_SERVER, IDC_SET_DEFAULT, IDC_FIND_BEST, kIdOk, kIdCancel}) {
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
        {"the earliest of the fastest",
         "Alpha(10.0.0.1)?Beta(b.test)?Gamma(10.0.0.3)?0",
         {0.050, 0.030, 0.030},
         {"0.050sec", "0.030sec", "0.030sec"},
         "b.test",
         1,
         1},
        {"none usable",
         "Alpha(10.0.0.1)?Beta(b.test)?Gamma(10.0.0.3)?2",
         {kAfterLastPoll, 3.5, kNoReply},
         {"", "Error", "Error"},
         "10.0.0.3",
         2,
         2},
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
        EXPECT_EQ(options.Text(IDC_DEFAULT_LABEL), "Current Default Server:" + std::string(c.defaultShown));
        EXPECT_EQ(options.SelectedListRow(IDC_SERVER_LIST), c.selected);
        options.PressEnter();
        EXPECT_EQ(DefaultServerIndex(dialog->Chosen().serverList), c.chosen);
    }
}

// An untitled server is named "Undefined" (EditingTheListKeepsTheDefaultByItsNumber).
TEST(AddServerDialog, ChecksAndAcceptsWhatTheListCanStore) {
    const std::string badInput = "Please Check Your input!",
                      refused = "Please Check your input,Error to add new server!",
                      sendFailed =
                          "Error to send data,please Check your Internet Connection or the new Server address!";
    const struct {
        const char *what, *title, *address;
        bool checking; // a second after Check Server, a request awaits its reply
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
        platform.AdvanceMs(1000); // looked up, then polled once
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
    options.SelectRow(IDC_SERVER_LIST, 1); // b.test
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
