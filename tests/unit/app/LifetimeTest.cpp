#include "app/MainFrameFixture.h"
#include "app/TimerIds.h"
#include "settings/ServerList.h"
#include "settings/SettingsLocation.h"

namespace hv::testing {
namespace {

// Without the socket layer the user is told; a second instance ends silently. Neither
// opens a window or touches the settings.
TEST(ApplicationStart, EndsEarlyWithoutSocketsOrAsASecondInstance) {
    for (const bool secondInstance : {false, true}) {
        FakePlatform platform;
        platform.socketLayerAvailable = platform.otherInstanceRunning = secondInstance;
        EXPECT_EQ(CHorvaneApp(platform).Run(), 0);
        EXPECT_EQ(platform.messageBoxes,
                  secondInstance
                      ? std::vector<std::string>{}
                      : std::vector<std::string>{
                            "Error to init socket!\r\nPlease make sure your computer has installed winsock!"});
        EXPECT_FALSE(platform.mainWindowExists);
        EXPECT_TRUE(platform.files.empty());
        EXPECT_FALSE(platform.socketLayerStarted);
    }
}

// Exit tells the bar and the "sync" window, not the other companions, to quit.
TEST(ApplicationStart, FirstStartCreatesEmptyFileAndExitWritesTenLines) {
    FakePlatform platform;
    const std::string dir =
        "C:\\Program Files\\A folder name long enough to pass one hundred characters in all\\Horvane\\";
    platform.moduleFileName = dir + "Horvane.exe";
    {
        CHorvaneApp app(platform);
        ASSERT_TRUE(app.InitInstance());
        EXPECT_EQ(platform.files.at(dir + "config.txt"), "");
        EXPECT_EQ(platform.mainWindowTitle, "panel");
        EXPECT_EQ(platform.trayTip, "Horvane");
        const char* companions[] = {kBarWindowTitle, kSyncWindowTitle, "Globrin"};
        for (const char* title : companions) platform.AddWindow(title);
        app.MainFrame()->OnCommand(kCmdExit);
        for (const char* title : companions) {
            const auto& heard = platform.WindowTitled(title)->received;
            EXPECT_EQ(heard.size() == 1 && heard[0].code == kCodeQuit, title != companions[2]) << title;
        }
        EXPECT_FALSE(platform.trayIconPresent);
        EXPECT_FALSE(platform.mainWindowExists);
        app.ExitInstance(0);
        EXPECT_FALSE(platform.instanceLockHeld);
        EXPECT_FALSE(platform.socketLayerStarted);
    }
    EXPECT_EQ(platform.files.at(dir + "config.txt"),
              "[auto]=1\r\n[diff]=3\r\n[list]=" + std::string(DEFAULT_SERVER_LIST) + "\r\n[ring]=0\r\n[rifn]=" + dir +
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
        {"negative step", "[auto]=1\r\n[diff]=-1\r\n[alsh]=0\r\n[bash]=0\r\n" + list + "0\r\n", false, "a.example",
         false},
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
}

TEST_F(MainFrameTest, ResumeAndNetworkBackRunOnceInFiveMinutesAndRestartThePeriod) {
    Start("[auto]=1\r\n[diff]=0\r\n[alsh]=0\r\n[bash]=0\r\n[list]=" + std::string(kServerList) + "\r\n");
    Companion(kSyncWindowTitle); // to stop each run
    platform.AdvanceMs(1000000);
    frame->OnResumedFromSleep();
    frame->OnResumedFromSleep(); // the system says it twice
    platform.AdvanceMs(9999);
    EXPECT_TRUE(platform.sent.empty()) << "the adapter is given ten seconds";
    platform.AdvanceMs(1);
    EXPECT_EQ(Log(), "C10:16:40 03-14-2026):Automatic synchronisation after resume\r\n"
                     "C10:16:40 03-14-2026):Succed to Send Request Data to 127.0.0.1!\r\n");
    frame->OnCopyData(kCodeStopSync);

    // The network drops and comes back just within five minutes of that run: no second run;
    // the period counts from the extra run, not from the start.
    frame->OnNetworkConnectivity(true); // only how things are
    platform.AdvanceMs(299000);
    frame->OnNetworkConnectivity(false);
    frame->OnNetworkConnectivity(true);
    platform.AdvanceMs(1500990);
    EXPECT_EQ(platform.sent.size(), 1u);
    platform.AdvanceMs(20);
    EXPECT_EQ(platform.sent.size(), 2u);
    frame->OnCopyData(kCodeStopSync);

    // Later it drops and comes back again: that is worth a run, said so in the log.
    frame->OnNetworkConnectivity(false);
    frame->OnNetworkConnectivity(true);
    frame->OnNetworkConnectivity(true);
    const std::string log = Log();
    platform.AdvanceMs(10010);
    EXPECT_EQ(platform.sent.size(), 3u);
    EXPECT_EQ(LogSince(log).find("C10:46:50 03-14-2026):Automatic synchronisation, network back\r\n"), 0u);

    // Automatic runs off: neither makes a run.
    Settings off = SavedSettings();
    off.autoSync = false;
    frame->ApplyPreferences(off);
    platform.AdvanceMs(600000);
    frame->OnResumedFromSleep();
    platform.AdvanceMs(20000);
    EXPECT_EQ(platform.sent.size(), 3u);
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
    EXPECT_EQ(
        platform.traces,
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
    EXPECT_EQ(platform.traces,
              std::vector<std::string>{"Horvane: config.txt is rewritten in place, its folder takes no new file"});
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

// --- an installed copy: each user's settings in their own folder, seeded from the install
// folder's file, and the administrator's policy over them -----------------------------------

constexpr const char* kUserConfig = "C:\\Users\\Ann\\AppData\\Roaming\\Horvane\\config.txt";
constexpr const char* kAdminList = "Campus(10.1.1.1)?0";
constexpr const char* kPolicyKey = "HKLM\\Software\\Policies\\Horvane";

TEST(SettingsLocation, InstalledCopiesKeepSettingsPerUserAndPortableOnesBesideThemselves) {
    struct Case {
        const char* installed;
        const char* userData;
        const char* folder;
        const char* seed;
    } cases[] = {
        {"", "C:\\Users\\Ann\\AppData\\Roaming\\", "C:\\Horvane\\", ""}, // the zip
        {"c:\\HORVANE", "C:\\Users\\Ann\\AppData\\Roaming\\", "C:\\Users\\Ann\\AppData\\Roaming\\Horvane\\",
         "C:\\Horvane\\config.txt"},
        {"C:\\Horvane\\", "D:\\Profiles\\ann", "D:\\Profiles\\ann\\Horvane\\", "C:\\Horvane\\config.txt"},
        {"C:\\Program Files\\Horvane\\", "C:\\Users\\Ann\\AppData\\Roaming\\", "C:\\Horvane\\", ""}, // a copy elsewhere
        {"C:\\Horvane\\", "", "", "C:\\Horvane\\config.txt"}, // no folder of the user's: nothing written
    };
    for (const Case& c : cases) {
        const SettingsLocation location = ChooseSettingsLocation(kProgramDir, c.installed, c.userData);
        EXPECT_EQ(location.folder, c.folder) << c.installed << " / " << c.userData;
        EXPECT_EQ(location.seedFile, c.seed) << c.installed << " / " << c.userData;
    }
}

class InstalledCopyTest : public MainFrameTest {
protected:
    InstalledCopyTest() { platform.registry["HKLM\\Software\\Horvane"]["InstallDir"] = std::string("C:\\Horvane"); }
    void End() { frame.reset(); }
};

TEST_F(InstalledCopyTest, FirstStartIsSeededFromTheInstallFolderWhichIsNeverWritten) {
    const std::string seed = "[auto]=0\r\n[alsh]=0\r\n[list]=" + std::string(kAdminList) + "\r\n";
    Start(seed);
    frame->OnCommand(kCmdBell);
    End();
    EXPECT_EQ(Config(), seed) << "the administrator's defaults stay as they are";
    const std::string saved = platform.files.at(kUserConfig);
    for (const char* line : {"[auto]=0\r\n", "[list]=Campus(10.1.1.1)?0\r\n", "[ring]=1\r\n"}) {
        EXPECT_NE(saved.find(line), std::string::npos) << line << " in " << saved;
    }
    EXPECT_EQ(platform.foldersCreated, std::set<std::string>{"C:\\Users\\Ann\\AppData\\Roaming\\Horvane\\"});

    // Later starts read the user's own file; the seed no longer counts.
    platform.files[kUserConfig] = "[list]=Mine(10.9.9.9)?0\r\n";
    Start(seed);
    End();
    EXPECT_NE(platform.files.at(kUserConfig).find("[list]=Mine(10.9.9.9)?0\r\n"), std::string::npos);
}

TEST_F(InstalledCopyTest, EachPolicyValueWinsAndTheUsersOwnIsKept) {
    const std::string own = "[auto]=1\r\n[diff]=3\r\n[alsh]=0\r\n[bash]=0\r\n[list]=" + std::string(kServerList) +
                            "\r\n[shut]=5\r\n[shcd]=794112\r\n"; // at 12:30, armed at start-up
    platform.files[kUserConfig] = own;
    auto& policy = platform.registry[kPolicyKey];
    policy["AutoSync"] = std::uint32_t{0};
    policy["AutoSyncMinutes"] = std::uint32_t{120}; // step 6
    policy["ServerList"] = std::string(kAdminList);
    policy["AllowShutdown"] = std::uint32_t{0};
    Start("");
    EXPECT_FALSE(platform.TimerRunning(kTimerAutoSync));

    for (const MenuItem& item : frame->BuildTrayMenu()) EXPECT_NE(item.commandId, kCmdShutDown);
    frame->OnCommand(kCmdShutDown); // as a companion may ask for it
    EXPECT_TRUE(platform.dialogsRun.empty());

    platform.dialogScripts[IDD_OPTIONS] = [](FakeDialogView& view) {
        EXPECT_EQ(view.Text(IDC_POLICY_NOTE), "Some of these settings are set by your administrator.");
        EXPECT_FALSE(view.IsChecked(IDC_AUTO_SYNC));
        EXPECT_EQ(view.TrackbarPosition(IDC_SYNC_INTERVAL), 6);
        EXPECT_EQ(view.Text(IDC_DEFAULT_LABEL), "Current Default Server:10.1.1.1");
        for (int id :
             {IDC_AUTO_SYNC, IDC_SYNC_INTERVAL, IDC_ADD_SERVER, IDC_DELETE_SERVER, IDC_SET_DEFAULT, IDC_FIND_BEST}) {
            EXPECT_FALSE(view.IsEnabled(id)) << id;
        }
        EXPECT_TRUE(view.IsEnabled(IDC_TEST_SERVER)) << "a test changes nothing";
        EXPECT_TRUE(view.IsEnabled(IDC_BELL_ENABLE));
        view.PressEnter();
    };
    frame->OnCommand(kCmdPreferences);
    EXPECT_EQ(platform.dialogsRun, std::vector<int>{IDD_OPTIONS});
    End();
    // Withdrawn tomorrow, the policy leaves the user's choices as they were.
    const std::string saved = platform.files.at(kUserConfig);
    for (const char* line : {"[auto]=1\r\n", "[diff]=3\r\n", "[shut]=5\r\n", "[shcd]=794112\r\n"}) {
        EXPECT_NE(saved.find(line), std::string::npos) << line << " in " << saved;
    }
    EXPECT_NE(saved.find(std::string("[list]=") + kServerList), std::string::npos) << saved;
}

TEST_F(InstalledCopyTest, APolicyOfTheWrongTypeOrAnInvalidListIsNotSet) {
    auto& policy = platform.registry[kPolicyKey];
    policy["AutoSync"] = std::string("0");
    policy["ServerList"] = std::string("Broken(1.2.3.4?0");
    policy["LockServerList"] = std::uint32_t{1};
    StartQuiet();
    platform.dialogScripts[IDD_OPTIONS] = [](FakeDialogView& view) {
        EXPECT_EQ(view.Text(IDC_DEFAULT_LABEL), "Current Default Server:127.0.0.1");
        EXPECT_TRUE(view.IsEnabled(IDC_AUTO_SYNC));
        EXPECT_FALSE(view.IsEnabled(IDC_ADD_SERVER)) << "the list is locked as the user has it";
        view.PressEscape();
    };
    frame->OnCommand(kCmdPreferences);
}

} // namespace
} // namespace hv::testing
