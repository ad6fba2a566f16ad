#include "app/MainFrameFixture.h"
#include "app/TimerIds.h"
#include "settings/ServerList.h"

namespace hv::testing {
namespace {

// Without the socket layer the user is told; a second instance ends silently. Neither
// opens a window or touches the settings.
TEST(ApplicationStart, EndsEarlyWithoutSocketsOrAsASecondInstance) {
    for (const bool secondInstance : {false, true}) {
        FakePlatform platform;
        platform.socketLayerAvailable = secondInstance;
        platform.otherInstanceRunning = secondInstance;
        CHorvaneApp app(platform);
        EXPECT_EQ(app.Run(), 0);
        EXPECT_EQ(platform.messageBoxes,
                  secondInstance ? std::vector<std::string>{}
                                 : std::vector<std::string>{
                                       "Error to init socket!\r\nPlease make sure your computer has installed winsock!"});
        EXPECT_FALSE(platform.mainWindowExists);
        EXPECT_TRUE(platform.files.empty());
        EXPECT_FALSE(platform.socketLayerStarted);
    }
}

TEST(ApplicationStart, FirstStartCreatesEmptyFileAndExitWritesTenLines) {
    FakePlatform platform;
    const std::string dir = "C:\\Program Files\\A folder name long enough to pass one hundred characters in all\\Horvane\\";
    platform.moduleFileName = dir + "Horvane.exe";
    {
        CHorvaneApp app(platform);
        ASSERT_TRUE(app.InitInstance());
        EXPECT_EQ(platform.files.at(dir + "config.txt"), "");
        EXPECT_EQ(platform.mainWindowTitle, "panel");
        EXPECT_EQ(platform.trayTip, "Horvane");
        app.MainFrame()->OnClose();
        app.ExitInstance(0);
        EXPECT_FALSE(platform.instanceLockHeld);
        EXPECT_FALSE(platform.socketLayerStarted);
    }
    EXPECT_EQ(platform.files.at(dir + "config.txt"),
              "[auto]=1\r\n[diff]=3\r\n[list]=" + std::string(DEFAULT_SERVER_LIST) +
                  "\r\n[ring]=0\r\n[rifn]=" + dir +
                  "bell.wav\r\n[bash]=1\r\n[alsh]=1\r\n[rpoh]=1\r\n[shut]=0\r\n[shcd]=0\r\n");
}

// Those who switch automatic runs off synchronise by hand: the server is chosen whatever
// [auto] says, and the automatic timer needs the flag, a non-negative step and a valid default.
TEST_F(MainFrameTest, StartupChoosesTheServerStartsTheBarAndArmsAutomaticRunsOnlyWhenAllowed) {
    const std::string list = "[list]=A(a.example)?B(b.example)?";
    const std::vector<std::string> barStarted{"\"C:\\Horvane\\Vistrel.exe\" VistrelShow"};
    const struct {
        const char* name;
        std::string config;
        bool autoTimer;
        const char* server;
        bool bar;
    } cases[] = {
        {"auto on, bar always shown", "[auto]=1\r\n[diff]=0\r\n[alsh]=1\r\n[bash]=0\r\n" + list + "0\r\n", true,
         "a.example", true},
        {"auto off, bar shown last time", "[auto]=0\r\n[alsh]=0\r\n[bash]=1\r\n" + list + "1\r\n", false, "b.example",
         true},
        {"negative step", "[auto]=1\r\n[diff]=-1\r\n[alsh]=0\r\n[bash]=0\r\n" + list + "0\r\n", false, "a.example", false},
        {"no valid default", "[auto]=1\r\n[diff]=3\r\n[alsh]=0\r\n[bash]=0\r\n" + list + "5\r\n", false, "", false},
    };
    for (const auto& c : cases) {
        platform.commandLines.clear();
        Start(c.config);
        EXPECT_EQ(platform.TimerRunning(kTimerAutoSync), c.autoTimer) << c.name;
        EXPECT_EQ(ServerAsked(), c.server) << c.name;
        EXPECT_EQ(platform.commandLines, c.bar ? barStarted : std::vector<std::string>{}) << c.name;
        EXPECT_EQ(SavedSettings().barVisible, c.bar) << c.name << ": recorded as showing";
    }
    EXPECT_EQ(platform.timers.at(kTimerTick).periodMs, 1000u);
}

TEST_F(MainFrameTest, ResumeAndNetworkBackRunOnceInFiveMinutesAndRestartThePeriod) {
    Start("[auto]=1\r\n[diff]=0\r\n[alsh]=0\r\n[bash]=0\r\n[list]=" + std::string(kServerList) + "\r\n");
    Companion(kSyncWindowTitle);  // to stop each run
    platform.AdvanceMs(1000000);
    frame->OnResumedFromSleep();
    frame->OnResumedFromSleep();  // the system says it twice
    platform.AdvanceMs(9999);
    EXPECT_TRUE(platform.sent.empty()) << "the adapter is given ten seconds";
    platform.AdvanceMs(1);
    ASSERT_EQ(platform.sent.size(), 1u);
    auto entries = ParseLogEntries(Log());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].message, "Automatic synchronisation after resume");
    EXPECT_EQ(entries[1].message, "Succed to Send Request Data to 127.0.0.1!");
    frame->OnCopyData(kCodeStopSync);

    // The network drops and comes back within five minutes of that run: no second run; the
    // period counts from the extra run, not from the start.
    frame->OnNetworkConnectivity(true);  // only how things are
    frame->OnNetworkConnectivity(false);
    frame->OnNetworkConnectivity(true);
    platform.AdvanceMs(1799990);
    EXPECT_EQ(platform.sent.size(), 1u);
    platform.AdvanceMs(20);
    EXPECT_EQ(platform.sent.size(), 2u);
    frame->OnCopyData(kCodeStopSync);

    // Later it drops and comes back again: that is worth a run, said so in the log.
    frame->OnNetworkConnectivity(false);
    frame->OnNetworkConnectivity(true);
    frame->OnNetworkConnectivity(true);
    platform.AdvanceMs(10010);
    EXPECT_EQ(platform.sent.size(), 3u);
    entries = ParseLogEntries(Log());
    EXPECT_EQ(entries[entries.size() - 2].message, "Automatic synchronisation, network back");

    // Automatic runs off: neither makes a run.
    Settings off = SavedSettings();
    off.autoSync = false;
    frame->ApplyPreferences(off);
    platform.AdvanceMs(600000);
    frame->OnResumedFromSleep();
    platform.AdvanceMs(20000);
    EXPECT_EQ(platform.sent.size(), 3u);
}

TEST_F(MainFrameTest, ExitTellsBarAndSyncWindowToQuit) {
    StartQuiet();
    const auto& bar = Companion(kBarWindowTitle);
    const auto& sync = Companion(kSyncWindowTitle);
    const auto& worldClock = Companion("Globrin");
    frame->OnCommand(kCmdExit);
    EXPECT_FALSE(platform.trayIconPresent);
    EXPECT_FALSE(platform.mainWindowExists);
    EXPECT_EQ(Codes(bar), std::vector<std::uintptr_t>{kCodeQuit});
    EXPECT_EQ(Codes(sync), std::vector<std::uintptr_t>{kCodeQuit});
    EXPECT_TRUE(worldClock.received.empty());
}

TEST_F(MainFrameTest, AFileThatCouldNotBeReadAtStartIsNeverWrittenOver) {
    // Held by a scanner at log-on, free again by the end of the session.
    const std::string saved = "[auto]=0\r\n[diff]=9\r\n[ring]=1\r\n";
    platform.unopenableFiles.insert(kConfigPath);
    Start(saved);
    platform.unopenableFiles.clear();
    EXPECT_EQ(platform.timers.at(kTimerAutoSync).periodMs, AutoSyncPeriodMs(3)) << "the defaults are in force";
    frame->OnBell();
    frame->OnEndSession();
    EXPECT_EQ(Config(), saved);
    frame.reset();
    EXPECT_EQ(Config(), saved);
    EXPECT_EQ(platform.traces,
              (std::vector<std::string>{
                  "Horvane: config.txt exists but could not be read; the defaults are in force and the file is kept as it is",
                  "Horvane: config.txt is not written, it could not be read at start",
                  "Horvane: config.txt is not written, it could not be read at start"}));
}

TEST_F(MainFrameTest, ALargeFileIsReadByItsFirstLines) {
    StartQuiet("[diff]=7\r\n[ring]=1\r\n" + std::string(100 * 1024, 'x'));
    EXPECT_EQ(Saved().find("[auto]=0\r\n[diff]=7\r\n[list]=" + std::string(kServerList) + "\r\n[ring]=1\r\n"), 0u);
}

TEST_F(MainFrameTest, SessionEndSavesAndAFolderThatRefusesNewFilesGetsTheFileRewrittenInPlace) {
    platform.foldersRefusingNewFiles.insert(kProgramDir);
    StartQuiet();
    frame->OnBell();
    frame->OnEndSession();
    EXPECT_NE(Config().find("[ring]=1\r\n"), std::string::npos);
    EXPECT_EQ(platform.traces, std::vector<std::string>{"Horvane: config.txt is rewritten in place, its folder takes no new file"});
    frame.reset();
    // Without a file to rewrite nothing can be saved there.
    platform.files.clear();
    platform.traces.clear();
    frame = std::make_unique<CMainFrame>(platform);
    frame.reset();
    EXPECT_TRUE(platform.files.empty());
    EXPECT_EQ(platform.traces.back(), "Horvane: config.txt could not be written");
}

TEST_F(MainFrameTest, TheTrayIconIsAddedAgainUntilTheShellTakesIt) {
    platform.trayIconRefusals = 3;
    StartQuiet();
    platform.AdvanceMs(4000);
    EXPECT_FALSE(platform.trayIconPresent);
    platform.AdvanceMs(2000);
    EXPECT_TRUE(platform.trayIconPresent);
    EXPECT_FALSE(platform.TimerRunning(kTimerTrayRetry));
    EXPECT_EQ(platform.traces, std::vector<std::string>(3, "Horvane: the notification-area icon could not be added"));
    // A restarted shell has forgotten it.
    platform.trayIconPresent = false;
    frame->OnTaskbarCreated();
    EXPECT_TRUE(platform.trayIconPresent);
}

} // namespace
} // namespace hv::testing
