// An installed copy: each user's settings in their own folder, seeded from the install
// folder's file, and the administrator's policy over them.
#include "app/MainFrameFixture.h"

#include "app/CommandIds.h"
#include "app/TimerIds.h"
#include "framework/WindowMessages.h"
#include "framework/fake/FakeDialogView.h"
#include "res/resource.h"
#include "settings/SettingsLocation.h"

namespace hv::testing {
namespace {

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
        {"", "C:\\Users\\Ann\\AppData\\Roaming\\", "C:\\Horvane\\", ""},  // the zip
        {"c:\\HORVANE", "C:\\Users\\Ann\\AppData\\Roaming\\", "C:\\Users\\Ann\\AppData\\Roaming\\Horvane\\",
         "C:\\Horvane\\config.txt"},
        {"C:\\Horvane\\", "D:\\Profiles\\ann", "D:\\Profiles\\ann\\Horvane\\", "C:\\Horvane\\config.txt"},
        {"C:\\Program Files\\Horvane\\", "C:\\Users\\Ann\\AppData\\Roaming\\", "C:\\Horvane\\", ""},  // a copy elsewhere
        {"C:\\Horvane\\", "", "", "C:\\Horvane\\config.txt"},  // no folder of the user's: nothing written
    };
    for (const Case& c : cases) {
        const SettingsLocation location = ChooseSettingsLocation(kProgramDir, c.installed, c.userData);
        EXPECT_EQ(location.folder, c.folder) << c.installed << " / " << c.userData;
        EXPECT_EQ(location.seedFile, c.seed) << c.installed << " / " << c.userData;
    }
}

class InstalledCopyTest : public MainFrameTest {
protected:
    InstalledCopyTest() {
        platform.registry["HKLM\\Software\\Horvane"]["InstallDir"] = std::string("C:\\Horvane");
    }
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
                            "\r\n[shut]=5\r\n[shcd]=794112\r\n";  // at 12:30, armed at start-up
    platform.files[kUserConfig] = own;
    auto& policy = platform.registry[kPolicyKey];
    policy["AutoSync"] = std::uint32_t{0};
    policy["AutoSyncMinutes"] = std::uint32_t{120};  // step 6
    policy["ServerList"] = std::string(kAdminList);
    policy["AllowShutdown"] = std::uint32_t{0};
    Start("");
    EXPECT_FALSE(platform.TimerRunning(kTimerAutoSync));

    frame->OnTrayNotify(128, kWmRButtonDown);
    ASSERT_EQ(platform.menusShown.size(), 1u);
    for (const MenuItem& item : platform.menusShown[0]) EXPECT_NE(item.commandId, kCmdShutDown);
    frame->OnCommand(kCmdShutDown);  // as a companion may ask for it
    EXPECT_TRUE(platform.dialogsRun.empty());

    platform.dialogScripts[IDD_OPTIONS] = [](FakeDialogView& view) {
        EXPECT_EQ(view.Text(IDC_POLICY_NOTE), "Some of these settings are set by your administrator.");
        EXPECT_FALSE(view.IsChecked(IDC_AUTO_SYNC));
        EXPECT_EQ(view.TrackbarPosition(IDC_SYNC_INTERVAL), 6);
        EXPECT_EQ(view.Text(IDC_DEFAULT_LABEL), "Current Default Server:10.1.1.1");
        for (int id : {IDC_AUTO_SYNC, IDC_SYNC_INTERVAL, IDC_ADD_SERVER, IDC_DELETE_SERVER, IDC_SET_DEFAULT,
                       IDC_FIND_BEST}) {
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
