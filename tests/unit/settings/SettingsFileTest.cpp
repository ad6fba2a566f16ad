#include "settings/ServerList.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace hv::testing {
namespace {

const std::string kDir = "C:\\Prog\\";
const std::string kTwoServers = "Lab One, Town, Land(one.example)?Lab Two, City, Land(10.0.0.2)?1";

Settings Parse(const std::string& text) {
    Settings f;
    f.autoSync = false;
    f.autoSyncStep = -7;
    f.bellEnabled = 5;
    ParseSettingsText(text, kDir, f);
    return f;
}

TEST(SettingsFile, EmptyOrZeroLeadingTextGivesFirstStartDefaults) {
    for (const std::string& text : {std::string{}, std::string("\0[auto]=0\r\n", 11)}) {
        Settings f;
        f.autoSync = f.barVisible = false;
        f.autoSyncStep = 9;
        f.bellEnabled = 1;
        EXPECT_FALSE(ParseSettingsText(text, kDir, f));
        EXPECT_TRUE(f.autoSync);
        EXPECT_EQ(f.autoSyncStep, 3);
        EXPECT_EQ(f.serverList, DEFAULT_SERVER_LIST);
        EXPECT_EQ(f.bellFile, kDir + "bell.wav");
        EXPECT_EQ(f.bellEnabled, 1) << "not touched by the defaults";
        EXPECT_FALSE(f.barVisible);
    }
}

TEST(SettingsFile, ValuesAreReadByTheirOwnRules) {
    // Flags read the first digit only; [auto] is on only for "1"; [diff] is atoi of the whole.
    Settings f = Parse("[auto]=2\r\n[diff]=12abc\r\n[ring]=10\r\n[bash]=15\r\n[rpoh]=0\r\n");
    EXPECT_FALSE(f.autoSync);
    EXPECT_EQ(f.autoSyncStep, 12);
    EXPECT_EQ(f.bellEnabled, 1);
    EXPECT_TRUE(f.barVisible);
    EXPECT_FALSE(f.chimeHourly);

    EXPECT_TRUE(Parse("[auto]=1\r\n").autoSync);
    EXPECT_EQ(Parse("[diff]= -1\r\n").autoSyncStep, -1);
    EXPECT_EQ(Parse("[diff]=x\r\n").autoSyncStep, 0);
    EXPECT_EQ(Parse("[diff]=99999999999\r\n").autoSyncStep, 2147483647);
    EXPECT_EQ(Parse("[ring]=x1\r\n").bellEnabled, 0);
}

TEST(SettingsFile, KeysMustMatchExactly) {
    // Missing lines leave the fields as they were, apart from the ones a read always resets.
    Settings f = Parse(" [auto]=1\r\n[Auto]=1\r\n[diff]=\r\n[list]=\r\n");
    EXPECT_FALSE(f.autoSync);
    EXPECT_EQ(f.autoSyncStep, -7);
    EXPECT_EQ(f.serverList, DEFAULT_SERVER_LIST);
    EXPECT_EQ(f.bellEnabled, 5);
    EXPECT_EQ(Parse("[diff]=4\r\n[diff]=6\r\n").autoSyncStep, 6);
}

TEST(SettingsFile, OnlyTwelveLinesEndedByCrLfOrLfAreRead) {
    std::string twelve;
    for (int i = 0; i < 11; ++i) twelve += "[none]=1\r\n";
    EXPECT_EQ(Parse(twelve + "[diff]=8\r\n").autoSyncStep, 8);
    EXPECT_EQ(Parse(twelve + "[none]=1\r\n[diff]=8\r\n").autoSyncStep, -7);
    EXPECT_EQ(Parse("[diff]=8").autoSyncStep, -7);
    // An editor's LF line ends, a UTF-8 signature in front, and both mixed with CRLF.
    const Settings lf = Parse("\xEF\xBB\xBF[diff]=8\n[rifn]=D:\\gong.wav\n[ring]=1\r\n[auto]=1\n[rpoh]=0");
    EXPECT_EQ(lf.autoSyncStep, 8);
    EXPECT_EQ(lf.bellFile, "D:\\gong.wav");
    EXPECT_EQ(lf.bellEnabled, 1);
    EXPECT_TRUE(lf.autoSync);
    EXPECT_TRUE(lf.chimeHourly) << "a last line without line end stays unused";
}

TEST(SettingsFile, ServerListsAreCheckedByTheirCounts) {
    EXPECT_EQ(Parse("[list]=" + kTwoServers + "\r\n").serverList, kTwoServers);
    std::string eleven;
    for (int i = 0; i < 11; ++i) eleven += "T(h" + std::to_string(i) + ")?";
    for (const std::string& bad : {eleven + "0", std::string("A(a)?B(b?0"), std::string("A(a))?0"), std::string("0")}) {
        EXPECT_EQ(Parse("[list]=" + bad + "\r\n").serverList, DEFAULT_SERVER_LIST) << bad;
    }
    // What replaces them passes the same check, its first server the default.
    EXPECT_TRUE(HasValidServerCounts(DEFAULT_SERVER_LIST));
    EXPECT_EQ(DefaultServerIndex(DEFAULT_SERVER_LIST), 0);
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
    EXPECT_EQ(atTime.kind, kShutdownAtTime);
    EXPECT_TRUE(atTime.atStartup);
    EXPECT_FALSE(atTime.disarmed);
    EXPECT_EQ(std::tuple(atTime.atHour, atTime.atMinute, atTime.atSecond), std::tuple(23, 59, 58));
    EXPECT_TRUE(Parse(atTimeNotArmed).shutdown.disarmed);
}

TEST(SettingsFile, SavedDelayArmedAtStartupComesBackAsAMinute) {
    // The stored time becomes the at-time.
    const ShutdownSchedule delay = Parse("[shut]=3\r\n[shcd]=66051\r\n").shutdown;
    EXPECT_EQ(delay.kind, kShutdownAfterDelay);
    EXPECT_FALSE(delay.disarmed);
    EXPECT_EQ(delay.secondsLeft, 60);
    EXPECT_EQ(delay.afterHour + delay.afterMinute + delay.afterSecond, 0);
    EXPECT_EQ(std::tuple(delay.atHour, delay.atMinute, delay.atSecond), std::tuple(1, 2, 3));
}

} // namespace
} // namespace hv::testing
