#include "settings/ServerList.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace hv::testing {
namespace {

const std::string kDir = "C:\\Prog\\";
const std::string kTwoServers = "Lab One, Town, Land(one.example)?Lab Two, City, Land(10.0.0.2)?1";

// Read over fields that no file would give, so that what a line leaves alone shows. An empty
// file's defaults are the first start's (app/LifetimeTest).
Settings Parse(const std::string& text) {
    Settings f;
    f.autoSync = false;
    f.autoSyncStep = -7;
    f.bellEnabled = 5;
    ParseSettingsText(text, kDir, f);
    return f;
}

TEST(SettingsFile, EachLineIsReadByItsKeysRuleWithinTwelveLines) {
    std::string eleven;
    for (int i = 0; i < 11; ++i) eleven += "[none]=1\r\n";
    const struct {
        std::string text;
        bool autoSync;
        int step, bell;
    } cases[] = {
        {std::string("\0[auto]=0\r\n", 11), true, 3, 5}, // text ends at a zero byte: an empty file
        {"[auto]=2\r\n", false, -7, 5},                  // on only for "1"
        {"[auto]=1\r\n", true, -7, 5},
        {" [auto]=1\r\n[Auto]=1\r\n[diff]=\r\n", false, -7, 5}, // keys match exactly, values are never empty
        {"[diff]=12abc\r\n", false, 12, 5},                     // atoi of the whole value
        {"[diff]= -1\r\n", false, -1, 5},
        {"[diff]=x\r\n", false, 0, 5},
        {"[diff]=99999999999999999999999\r\n", false, 2147483647, 5},
        {"[diff]=4\r\n[diff]=6\r\n", false, 6, 5},
        {"[ring]=10\r\n", false, -7, 1}, // flags read the first digit only
        {"[ring]=x1\r\n", false, -7, 0},
        {eleven + "[diff]=8\r\n", false, 8, 5},
        {eleven + "[none]=1\r\n[diff]=8\r\n", false, -7, 5},
        {"[diff]=8", false, -7, 5}, // a last line without line end is unused
        // An editor's LF line ends and UTF-8 signature, mixed with CRLF.
        {"\xEF\xBB\xBF[auto]=1\n[diff]=8\r\n[diff]=9", true, 8, 5},
    };
    for (const auto& c : cases) {
        const Settings f = Parse(c.text);
        EXPECT_EQ(std::tuple(f.autoSync, f.autoSyncStep, f.bellEnabled), std::tuple(c.autoSync, c.step, c.bell))
            << c.text;
    }
}

TEST(SettingsFile, ServerListsAreCheckedByTheirCounts) {
    EXPECT_EQ(Parse("[list]=" + kTwoServers + "\r\n").serverList, kTwoServers);
    std::string eleven;
    for (int i = 0; i < 11; ++i) eleven += "T(h" + std::to_string(i) + ")?";
    for (const std::string& bad : {eleven + "0", std::string("A(a)?B(b?0"), std::string("A(a))?0"), std::string("0")}) {
        EXPECT_EQ(Parse("[list]=" + bad + "\r\n").serverList, DEFAULT_SERVER_LIST) << bad;
    }
}

// Each flag is 0 in one file and 1 in the other, and every other value differs from what a
// read starts from in at least one: each key is seen read and written in its own form.
TEST(SettingsFile, EveryKeyIsReadAndWrittenBackInItsOwnForm) {
    const std::string list = "\r\n[list]=" + kTwoServers + "\r\n";
    const std::string armedAtTime = "[auto]=1\r\n[diff]=42" + list +
                                    "[ring]=1\r\n[rifn]=D:\\Sounds\\gong.wav\r\n[bash]=0\r\n[alsh]=1\r\n[rpoh]=0\r\n"
                                    "[shut]=5\r\n[shcd]=1522490\r\n";
    const std::string atTimeNotArmed = "[auto]=0\r\n[diff]=-2" + list +
                                       "[ring]=0\r\n[rifn]=E:\\b.wav\r\n[bash]=1\r\n[alsh]=0\r\n[rpoh]=1\r\n"
                                       "[shut]=4\r\n[shcd]=66051\r\n";
    for (const std::string& text : {armedAtTime, atTimeNotArmed}) EXPECT_EQ(FormatSettingsText(Parse(text)), text);

    // [shut] is auto-arm + 2 x kind; [shcd] packs 23:59:58 as (23 << 16) | (59 << 8) | 58.
    const ShutdownSchedule atTime = Parse(armedAtTime).shutdown;
    EXPECT_EQ(std::tuple(atTime.kind, atTime.atStartup, atTime.disarmed), std::tuple(kShutdownAtTime, true, false));
    EXPECT_EQ(std::tuple(atTime.atHour, atTime.atMinute, atTime.atSecond), std::tuple(23, 59, 58));
    EXPECT_TRUE(Parse(atTimeNotArmed).shutdown.disarmed);
}

TEST(SettingsFile, SavedDelayArmedAtStartupComesBackAsAMinute) {
    // The stored time becomes the at-time.
    const ShutdownSchedule delay = Parse("[shut]=3\r\n[shcd]=66051\r\n").shutdown;
    EXPECT_EQ(std::tuple(delay.kind, delay.disarmed, delay.secondsLeft), std::tuple(kShutdownAfterDelay, false, 60));
    EXPECT_EQ(delay.afterHour + delay.afterMinute + delay.afterSecond, 0);
    EXPECT_EQ(std::tuple(delay.atHour, delay.atMinute, delay.atSecond), std::tuple(1, 2, 3));
}

} // namespace
} // namespace hv::testing
