#include "app/CommandIds.h"
#include "app/MainFrameFixture.h"
#include "app/TimerIds.h"
#include "framework/WindowMessages.h"

namespace hv::testing {
namespace {

constexpr const char* kRunKey = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::vector<int> Ids(const std::vector<MenuItem>& menu) {
    std::vector<int> ids;
    for (const MenuItem& item : menu) ids.push_back(item.commandId);
    return ids;
}

const MenuItem* Item(const std::vector<MenuItem>& menu, int id) {
    for (const MenuItem& item : menu) {
        if (item.commandId == id) return &item;
    }
    return nullptr;
}

TEST_F(MainFrameTest, CopyDataCodesReachTheirCommands) {
    StartQuiet();
    EXPECT_TRUE(frame->OnCopyData(31));
    EXPECT_TRUE(frame->OnCopyData(32));
    EXPECT_TRUE(frame->OnCopyData(33));
    EXPECT_TRUE(frame->OnCopyData(34));
    EXPECT_TRUE(frame->OnCopyData(35));
    EXPECT_TRUE(frame->OnCopyData(36));
    EXPECT_TRUE(frame->OnCopyData(37));
    EXPECT_EQ(dialogs.preferencesRuns, 1);
    EXPECT_EQ(dialogs.calendarRuns, 1);
    EXPECT_EQ(dialogs.shutdownRuns, 1);
    EXPECT_EQ(dialogs.logViewRuns, 1);
    EXPECT_EQ(platform.commandLines, (std::vector<std::string>{"C:\\Horvane\\Quorel.exe QuorelShow",
                                                               "C:\\Horvane\\Globrin.exe ChronvelShow"}));
    EXPECT_EQ(platform.shellOpened, std::vector<std::string>{"C:\\Horvane\\Horvane.chm"});
    // Unknown codes get the default answer and do nothing.
    for (std::uintptr_t code : {0u, 3u, 13u, 20u, 30u, 38u, 0xFFFFFFFFu}) EXPECT_FALSE(frame->OnCopyData(code)) << code;
    EXPECT_EQ(dialogs.preferencesRuns, 1);
}

TEST_F(MainFrameTest, SyncCodesWithoutSyncWindowDoNothing) {
    StartQuiet();
    frame->m_sntp.m_serverAddress = "127.0.0.1";
    for (std::uintptr_t code : {kCodeServerAddress, kCodeStartSync, kCodeStopSync}) EXPECT_TRUE(frame->OnCopyData(code));
    EXPECT_TRUE(platform.sent.empty());
    EXPECT_TRUE(frame->m_logText.Empty());
    auto& sync = Companion(kSyncWindowTitle);
    frame->OnCopyData(kCodeServerAddress);
    ASSERT_EQ(sync.received.size(), 1u);
    EXPECT_EQ(sync.received[0].text, "127.0.0.1");
}

TEST_F(MainFrameTest, TrayMenuFollowsTheState) {
    StartQuiet("[ring]=1\r\n");
    EXPECT_EQ(Ids(frame->BuildTrayMenu()),
              (std::vector<int>{0, kCmdPreferences, 0, kCmdSynchronizeTime, kCmdWorldClock, kCmdCalendar, 0, kCmdBell,
                                kCmdShutDown, kCmdDateTimeBar, kCmdRunAtStartup, kCmdViewLog, kCmdChangeTimeZone, 0,
                                kCmdHelp, kCmdAbout, 0, kCmdExit}));
    auto menu = frame->BuildTrayMenu();
    EXPECT_EQ(Item(menu, kCmdBell)->text, "&Bell");
    EXPECT_TRUE(Item(menu, kCmdBell)->checked);
    EXPECT_EQ(Item(menu, kCmdDateTimeBar)->text, "Show DateTime Bar");
    EXPECT_EQ(Item(menu, kCmdExit)->text, "E&xit Horvane");
    EXPECT_EQ(Item(menu, kCmdShutDown)->text, "Shut&Down Computer ...");
    EXPECT_FALSE(Item(menu, kCmdRunAtStartup)->checked);

    frame->OnBell();
    frame->OnDateTimeBar();
    menu = frame->BuildTrayMenu();
    EXPECT_FALSE(Item(menu, kCmdBell)->checked);
    EXPECT_EQ(Item(menu, kCmdDateTimeBar)->text, "Hide DateTime Bar");
    EXPECT_FALSE(Item(menu, kCmdDateTimeBar)->checked);

    frame->m_alwaysShowBar = true;
    menu = frame->BuildTrayMenu();
    EXPECT_EQ(Item(menu, kCmdDateTimeBar)->text, "DateTime Bar");
    EXPECT_TRUE(Item(menu, kCmdDateTimeBar)->checked);
    EXPECT_EQ(platform.openRegistryKeys, 0);
}

TEST_F(MainFrameTest, BarToggleStartsAndStopsTheBar) {
    StartQuiet();
    frame->OnDateTimeBar();
    EXPECT_EQ(platform.commandLines, std::vector<std::string>{"C:\\Horvane\\Vistrel.exe VistrelShow"});
    auto& bar = Companion(kBarWindowTitle);
    frame->OnDateTimeBar();
    ASSERT_EQ(bar.received.size(), 1u);
    EXPECT_EQ(bar.received[0].code, kCodeQuit);
    EXPECT_FALSE(frame->m_barVisible);
    // Always shown: the item changes nothing.
    frame->m_alwaysShowBar = true;
    frame->OnDateTimeBar();
    EXPECT_EQ(platform.commandLines.size(), 1u);
    EXPECT_FALSE(frame->m_barVisible);
}

TEST_F(MainFrameTest, RunAtStartupValue) {
    StartQuiet();
    frame->OnRunAtStartup();
    EXPECT_EQ(platform.registry[kRunKey]["Horvane"], "C:\\Horvane\\Horvane.exe");
    EXPECT_TRUE(Item(frame->BuildTrayMenu(), kCmdRunAtStartup)->checked);
    frame->OnRunAtStartup();
    EXPECT_EQ(platform.registry[kRunKey].count("Horvane"), 0u);
    // A value too long for the buffer counts as absent and is overwritten.
    platform.registry[kRunKey]["Horvane"] = std::string(300, 'x');
    EXPECT_FALSE(Item(frame->BuildTrayMenu(), kCmdRunAtStartup)->checked);
    frame->OnRunAtStartup();
    EXPECT_EQ(platform.registry[kRunKey]["Horvane"], "C:\\Horvane\\Horvane.exe");
    // Without full access the item is left out and the command does nothing.
    platform.registryKeysDeniedFullAccess.insert(kRunKey);
    EXPECT_EQ(Item(frame->BuildTrayMenu(), kCmdRunAtStartup), nullptr);
    frame->OnRunAtStartup();
    EXPECT_EQ(platform.registry[kRunKey]["Horvane"], "C:\\Horvane\\Horvane.exe");
    EXPECT_EQ(platform.openRegistryKeys, 0);
}

TEST_F(MainFrameTest, TrayMouseMessages) {
    StartQuiet();
    platform.SetNowMicroseconds(MicrosFromUtc(2026, 3, 14, 21, 5, 9));
    frame->OnTrayNotify(128, kWmMouseMove);
    EXPECT_EQ(platform.trayTip, "21:05:09(03/14/2026)");
    EXPECT_TRUE(platform.menusShown.empty());
    frame->OnTrayNotify(128, kWmRButtonDown);
    frame->OnTrayNotify(128, kWmLButtonDown);
    EXPECT_EQ(platform.menusShown.size(), 2u);
}

TEST_F(MainFrameTest, ModalCommandsAreNotReentered) {
    StartQuiet();
    int nested = 0;
    dialogs.editPreferences = [&](PreferencesValues&) { frame->OnCommand(kCmdPreferences); ++nested; };
    dialogs.editSchedule = [&](ShutdownScheduleValues&) { frame->OnCopyData(35); ++nested; };
    frame->OnCommand(kCmdPreferences);
    frame->OnCommand(kCmdShutDown);
    EXPECT_EQ(nested, 2);
    EXPECT_EQ(dialogs.preferencesRuns, 1);
    EXPECT_EQ(dialogs.shutdownRuns, 1);
    EXPECT_FALSE(frame->m_prefsOpen);
    EXPECT_FALSE(frame->m_shutdownDlgOpen);
}

TEST_F(MainFrameTest, PreferencesOkTakesValuesBackAndKeepsTheAutomaticPhase) {
    Start("[auto]=1\r\n[diff]=0\r\n[alsh]=0\r\n[bash]=0\r\n[list]=" + std::string(kServerList) + "\r\n");
    auto& sync = Companion(kSyncWindowTitle);
    dialogs.preferencesAccept = true;
    dialogs.editPreferences = [](PreferencesValues& v) {
        v.bellEnabled = 1;
        v.serverList = "A(a.example)?B(b.example)?1";
    };
    platform.AdvanceMs(600000);
    frame->OnPreferences();
    EXPECT_EQ(frame->m_bellEnabled, 1);
    EXPECT_EQ(frame->m_sntp.m_serverAddress, "b.example");
    EXPECT_EQ(sync.received.back().code, kCodeServerAddress);
    EXPECT_EQ(sync.received.back().text, "b.example");
    platform.hosts["b.example"] = kServerAddress;
    platform.AdvanceMs(1200000);  // unchanged settings: the first period still ends at 30 minutes
    EXPECT_EQ(platform.sent.size(), 1u);

    // A changed step restarts the period from now; Cancel takes nothing back.
    dialogs.editPreferences = [](PreferencesValues& v) { v.autoSyncStep = 1; };
    frame->OnPreferences();
    EXPECT_EQ(platform.timers.at(IDT_AUTOSYNC).periodMs, 2700000u);
    dialogs.preferencesAccept = false;
    dialogs.editPreferences = [](PreferencesValues& v) { v.autoSync = false; v.bellEnabled = 0; };
    frame->OnPreferences();
    EXPECT_TRUE(frame->m_autoSync);
    EXPECT_EQ(frame->m_bellEnabled, 1);
}

TEST_F(MainFrameTest, ShutdownDialogValuesAlwaysComeBack) {
    StartQuiet();
    frame->m_secondsLeft = 77;
    dialogs.editSchedule = [](ShutdownScheduleValues& v) {
        v.kind = kShutdownAtTime;
        v.atHour = 22;
        v.atStartup = true;
        v.disarmed = false;
        v.secondsLeft = 5;
    };
    frame->OnShutDown();
    EXPECT_EQ(frame->m_shutdownKind, kShutdownAtTime);
    EXPECT_EQ(frame->m_atHour, 22);
    EXPECT_TRUE(frame->m_shutdownAtStartup);
    EXPECT_FALSE(frame->m_shutdownDisarmed);
    EXPECT_EQ(frame->m_secondsLeft, 77) << "remaining comes back only for a delay schedule";
    dialogs.editSchedule = [](ShutdownScheduleValues& v) { v.kind = kShutdownAfterDelay; v.secondsLeft = 5; };
    frame->OnShutDown();
    EXPECT_EQ(frame->m_secondsLeft, 5);
}

TEST_F(MainFrameTest, ExitClosesAndOtherCommandsStartTheirPrograms) {
    StartQuiet();
    frame->OnCommand(kCmdChangeTimeZone);
    EXPECT_EQ(platform.commandLines.back(), "rundll32.exe shell32.dll,Control_RunDLL timedate.cpl,,1");
    frame->OnCommand(kCmdAbout);
    EXPECT_EQ(dialogs.aboutRuns, 1);
    frame->OnCommand(kCmdViewLog);
    dialogs.logViewVisible = true;
    frame->OnCommand(kCmdViewLog);
    EXPECT_EQ(dialogs.logViewRuns, 1);
    frame->OnCommand(kCmdExit);
    EXPECT_FALSE(platform.mainWindowExists);
    EXPECT_FALSE(platform.trayIconPresent);
}

} // namespace
} // namespace hv::testing
