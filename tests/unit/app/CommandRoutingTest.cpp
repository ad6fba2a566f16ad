#include "app/CommandIds.h"
#include "app/MainFrameFixture.h"
#include "app/TimerIds.h"
#include "framework/WindowMessages.h"
#include "res/resource.h"
#include "settings/ServerList.h"

#include <algorithm>
#include <optional>

namespace hv::testing {
namespace {

constexpr const char* kRunKey = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kUserRunKey = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The menu's item for `id`; a separator when the menu has none.
MenuItem Item(const std::vector<MenuItem>& menu, int id) {
    const auto item = std::find_if(menu.begin(), menu.end(), [id](const MenuItem& i) { return i.commandId == id; });
    return item == menu.end() ? MenuItem{} : *item;
}

TEST_F(MainFrameTest, CopyDataCommandCodesRunTheirCommands) {
    StartQuiet();
    for (std::uintptr_t code = 31; code <= 37; ++code) EXPECT_TRUE(frame->OnCopyData(code)) << code;
    // Answered before any dialog opens: the companion waits for the answer.
    EXPECT_TRUE(platform.dialogsRun.empty());
    platform.AdvanceMs(0);
    EXPECT_EQ(platform.dialogsRun, (std::vector<int>{IDD_OPTIONS, IDD_CALENDAR, IDD_SHUTDOWN, IDD_LOGVIEW}));
    EXPECT_EQ(platform.commandLines, (std::vector<std::string>{"\"C:\\Horvane\\Quorel.exe\" QuorelShow",
                                                               "\"C:\\Horvane\\Globrin.exe\" ChronvelShow"}));
    EXPECT_EQ(platform.shellOpened, std::vector<std::string>{"C:\\Horvane\\Horvane.chm"});
    for (std::uintptr_t code : {0u, 3u, 13u, 20u, 30u, 38u, 0xFFFFFFFFu}) EXPECT_FALSE(frame->OnCopyData(code)) << code;
    frame->OnCommand(kCmdChangeTimeZone);
    EXPECT_EQ(platform.commandLines.back(), "\"rundll32.exe\" shell32.dll,Control_RunDLL timedate.cpl,,1");
    // The "sync" window's codes are answered only while it is there to hear the answer.
    for (std::uintptr_t code : {kCodeServerAddress, kCodeStartSync, kCodeStopSync})
        EXPECT_TRUE(frame->OnCopyData(code));
    EXPECT_TRUE(platform.sent.empty());
    EXPECT_TRUE(Log().empty());
}

// Companions' codes come as these commands: asked again while open, none opens twice.
TEST_F(MainFrameTest, EachModalDialogOpensOnlyOnceAtATime) {
    StartQuiet();
    const std::pair<int, int> cases[] = {{kCmdShutDown, IDD_SHUTDOWN},
                                         {kCmdCalendar, IDD_CALENDAR},
                                         {kCmdPreferences, IDD_OPTIONS},
                                         {kCmdAbout, IDD_ABOUTBOX}};
    for (const auto& [command, dialog] : cases) {
        platform.dialogsRun.clear();
        platform.dialogScripts[dialog] = [&, command = command](FakeDialogView&) {
            if (platform.dialogsRun.size() == 1) frame->OnCommand(command);
        };
        frame->OnCommand(command);
        EXPECT_EQ(platform.dialogsRun, std::vector<int>{dialog}) << command;
        frame->OnCommand(command);
        EXPECT_EQ(platform.dialogsRun.size(), 2u) << "closed, it opens again: " << command;
    }
}

TEST_F(MainFrameTest, BellAndBarItemsFollowTheirState) {
    StartQuiet("[ring]=1\r\n");
    auto menu = frame->BuildTrayMenu();
    EXPECT_TRUE(Item(menu, kCmdBell).checked);
    EXPECT_EQ(Item(menu, kCmdDateTimeBar).text, "Show DateTime Bar");

    frame->OnBell();
    frame->OnDateTimeBar();
    EXPECT_EQ(platform.commandLines, std::vector<std::string>{"\"C:\\Horvane\\Vistrel.exe\" VistrelShow"});
    menu = frame->BuildTrayMenu();
    EXPECT_FALSE(Item(menu, kCmdBell).checked);
    EXPECT_EQ(Item(menu, kCmdDateTimeBar).text, "Hide DateTime Bar");
    EXPECT_FALSE(Item(menu, kCmdDateTimeBar).checked);
    auto& bar = Companion(kBarWindowTitle);
    frame->OnDateTimeBar();
    EXPECT_EQ(Codes(bar), std::vector<std::uintptr_t>{kCodeQuit});

    // Always shown: the item is fixed and changes nothing.
    StartQuiet("[alsh]=1\r\n");
    platform.commandLines.clear();
    bar.received.clear();
    menu = frame->BuildTrayMenu();
    EXPECT_EQ(Item(menu, kCmdDateTimeBar).text, "DateTime Bar");
    EXPECT_TRUE(Item(menu, kCmdDateTimeBar).checked);
    frame->OnDateTimeBar();
    EXPECT_TRUE(platform.commandLines.empty());
    EXPECT_TRUE(bar.received.empty());
}

TEST_F(MainFrameTest, RunAtStartupItemTogglesTheQuotedRunValue) {
    StartQuiet();
    auto& run = platform.registry[kRunKey];
    const std::string quoted = "\"C:\\Horvane\\Horvane.exe\"";
    const std::optional<std::string> absent;
    struct Case {
        std::optional<std::string> before;
        bool checked;
        std::optional<std::string> after;
    } cases[] = {
        {absent, false, quoted},
        {quoted, true, absent},
        {"C:\\Horvane\\Horvane.exe", true, absent}, // the unquoted value of older versions is ours too
        {std::string(254, 'x'), true, absent},
        {std::string(255, 'x'), false, quoted}, // too long for the 255-byte buffer: counts as absent
    };
    for (const Case& c : cases) {
        run.erase("Horvane");
        if (c.before) run["Horvane"] = *c.before;
        EXPECT_EQ(Item(frame->BuildTrayMenu(), kCmdRunAtStartup).checked, c.checked) << c.before.value_or("none");
        frame->OnRunAtStartup();
        EXPECT_EQ(run.count("Horvane") ? std::get<std::string>(run["Horvane"]) : absent, c.after);
    }
    // Where the machine's key refuses a standard user the user's key takes the value; the
    // check mark shows either, and removing takes ours out of both.
    auto& userRun = platform.registry[kUserRunKey];
    platform.registryKeysDeniedWrite.insert(kRunKey);
    frame->OnRunAtStartup();
    EXPECT_EQ(run["Horvane"], RegistryValue{quoted});
    EXPECT_EQ(userRun.count("Horvane"), 0u);
    run.erase("Horvane");
    frame->OnRunAtStartup();
    EXPECT_EQ(userRun["Horvane"], RegistryValue{quoted});
    EXPECT_TRUE(Item(frame->BuildTrayMenu(), kCmdRunAtStartup).checked);
    platform.registryKeysDeniedWrite.clear();
    run["Horvane"] = quoted;
    frame->OnRunAtStartup();
    EXPECT_TRUE(run.empty() && userRun.empty());
    // Without full access to either the item is left out and the command does nothing.
    platform.registryKeysDeniedWrite = {kRunKey, kUserRunKey};
    EXPECT_EQ(Item(frame->BuildTrayMenu(), kCmdRunAtStartup).commandId, 0);
    frame->OnRunAtStartup();
    EXPECT_TRUE(run.empty() && userRun.empty());
}

TEST_F(MainFrameTest, AMissingCompanionIsNamedInAMessageOnlyWhenTheUserAskedForIt) {
    const std::string bar = "C:\\Horvane\\Vistrel.exe";
    platform.missingPrograms = {bar, "C:\\Horvane\\Globrin.exe"};
    Start("[auto]=0\r\n[alsh]=1\r\n"); // the bar at start-up: nobody asked
    EXPECT_TRUE(platform.messageBoxes.empty());
    ASSERT_EQ(Log(), "E09:59:50 03-14-2026):Cannot start " + bar + ": the file does not exist.\r\n");
    EXPECT_EQ(platform.traces.back(), "Horvane: Cannot start " + bar + ": the file does not exist.");
    // After Preferences' OK with the bar always shown the address still reaches "sync".
    Start("[auto]=0\r\n[alsh]=0\r\n[bash]=0\r\n");
    auto& sync = Companion(kSyncWindowTitle);
    Settings chosen = SavedSettings();
    chosen.alwaysShowBar = true;
    frame->ApplyPreferences(chosen);
    EXPECT_TRUE(platform.messageBoxes.empty());
    EXPECT_EQ(Codes(sync), std::vector<std::uintptr_t>{kCodeServerAddress});

    frame->OnWorldClock();
    EXPECT_EQ(platform.messageBoxes,
              std::vector<std::string>{"Cannot start C:\\Horvane\\Globrin.exe\r\nThe file does not exist."});
    EXPECT_TRUE(platform.commandLines.empty());
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

// Ten servers from the file, the tenth the default; then lists as Preferences may give them,
// each address told to the "sync" window as it is applied.
TEST_F(MainFrameTest, RunsAskTheDefaultServerOfTheListTheFileOrPreferencesGive) {
    Start("[auto]=1\r\n[diff]=0\r\n[alsh]=0\r\n[bash]=0\r\n"
          "[list]=A(a)?B(b)?C(c)?D(d)?E(e)?F(f)?G(g)?H(h)?I(i)?J(ten.example)?9\r\n");
    EXPECT_EQ(ServerAsked(), "ten.example");
    const auto& sync = Companion(kSyncWindowTitle);
    const std::pair<std::string, std::string> cases[] = {
        {"A(one.example)?B(two.example)?1", "two.example"},
        {"A(one.example)?B(two.example)?2", "unchanged"},
        {"A(one.example)?no address?1", "unchanged"},
        {"no address?B(10.1.2.3)?1", "10.1.2.3"},
        {"A(one.example)?B(two.example)?x", "one.example"},
        {"A(one.example)?12", "time-a-g.nist.gov"},
        {"7", "time-a-g.nist.gov"},
    };
    Settings chosen = SavedSettings();
    for (const auto& [list, address] : cases) {
        chosen.serverList = "U(unchanged)?0";
        frame->ApplyPreferences(chosen);
        chosen.serverList = list;
        frame->ApplyPreferences(chosen);
        EXPECT_EQ(sync.received.back().code, kCodeServerAddress) << list;
        EXPECT_EQ(sync.received.back().text, address) << list;
    }
    EXPECT_EQ(SavedSettings().serverList, DEFAULT_SERVER_LIST) << "the replaced list is what reaches the file";
}

} // namespace
} // namespace hv::testing
