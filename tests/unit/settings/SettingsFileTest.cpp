#include "settings/ServerList.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <string>

namespace hv {
namespace {

const std::string kDir = "C:\\Prog\\";
const std::string kTwoServers = "Lab One, Town, Land(one.example)?Lab Two, City, Land(10.0.0.2)?1";

SettingsFields Parse(const std::string& text) {
    SettingsFields f;
    f.m_autoSync = false;
    f.m_autoSyncStep = -7;
    f.m_bellEnabled = 5;
    ParseSettingsText(text, kDir, f);
    return f;
}

TEST(SettingsFile, EmptyOrZeroLeadingTextGivesFirstStartDefaults) {
    for (const std::string& text : {std::string{}, std::string("\0[auto]=0\r\n", 11)}) {
        SettingsFields f;
        f.m_autoSync = false;
        f.m_autoSyncStep = 9;
        f.m_bellEnabled = 1;
        f.m_barVisible = false;
        EXPECT_FALSE(ParseSettingsText(text, kDir, f));
        EXPECT_TRUE(f.m_autoSync);
        EXPECT_EQ(f.m_autoSyncStep, 3);
        EXPECT_EQ(f.m_serverList, DEFAULT_SERVER_LIST);
        EXPECT_EQ(f.m_bellFile, kDir + "bell.wav");
        // Not touched by the defaults.
        EXPECT_EQ(f.m_bellEnabled, 1);
        EXPECT_FALSE(f.m_barVisible);
    }
}

TEST(SettingsFile, ValuesAreReadByTheirOwnRules) {
    // Flags read the first digit only; [auto] is on only for "1"; [diff] is atoi of the whole.
    SettingsFields f = Parse("[auto]=2\r\n[diff]=12abc\r\n[ring]=10\r\n[bash]=15\r\n[rpoh]=0\r\n[shut]=35\r\n");
    EXPECT_FALSE(f.m_autoSync);
    EXPECT_EQ(f.m_autoSyncStep, 12);
    EXPECT_EQ(f.m_bellEnabled, 1);
    EXPECT_TRUE(f.m_barVisible);
    EXPECT_FALSE(f.m_chimeHourly);
    EXPECT_EQ(f.m_shutdownKind, kShutdownAfterDelay);
    EXPECT_TRUE(f.m_shutdownAtStartup);

    EXPECT_TRUE(Parse("[auto]=1\r\n").m_autoSync);
    EXPECT_EQ(Parse("[diff]= -1\r\n").m_autoSyncStep, -1);
    EXPECT_EQ(Parse("[diff]=x\r\n").m_autoSyncStep, 0);
    EXPECT_EQ(Parse("[diff]=99999999999\r\n").m_autoSyncStep, 2147483647);
    EXPECT_EQ(Parse("[ring]=x1\r\n").m_bellEnabled, 0);
}

TEST(SettingsFile, KeysMustMatchExactly) {
    // Missing lines leave the fields as they were, apart from the ones a read always resets.
    SettingsFields f = Parse(" [auto]=1\r\n[Auto]=1\r\n[diff]=\r\n[list]=\r\n");
    EXPECT_FALSE(f.m_autoSync);
    EXPECT_EQ(f.m_autoSyncStep, -7);
    EXPECT_EQ(f.m_serverList, DEFAULT_SERVER_LIST);
    EXPECT_EQ(f.m_bellEnabled, 5);
    EXPECT_EQ(Parse("[diff]=4\r\n[diff]=6\r\n").m_autoSyncStep, 6);
}

TEST(SettingsFile, OnlyTwelveLinesEndedByCrLfAreRead) {
    std::string twelve;
    for (int i = 0; i < 11; ++i) twelve += "[none]=1\r\n";
    EXPECT_EQ(Parse(twelve + "[diff]=8\r\n").m_autoSyncStep, 8);
    EXPECT_EQ(Parse(twelve + "[none]=1\r\n[diff]=8\r\n").m_autoSyncStep, -7);
    EXPECT_EQ(Parse("[diff]=8").m_autoSyncStep, -7);
    EXPECT_EQ(Parse("[diff]=8\n[ring]=1\r\n").m_autoSyncStep, 8);
}

TEST(SettingsFile, ServerListsAreCheckedByTheirCounts) {
    EXPECT_EQ(Parse("[list]=" + kTwoServers + "\r\n").m_serverList, kTwoServers);
    std::string eleven;
    for (int i = 0; i < 11; ++i) eleven += "T(h" + std::to_string(i) + ")?";
    for (const std::string& bad : {eleven + "0", std::string("A(a)?B(b?0"), std::string("A(a))?0"), std::string("0")}) {
        EXPECT_EQ(Parse("[list]=" + bad + "\r\n").m_serverList, DEFAULT_SERVER_LIST) << bad;
    }
}

TEST(SettingsFile, DefaultListHasSevenServersFirstAsDefault) {
    const auto entries = ParseServerEntries(DEFAULT_SERVER_LIST);
    ASSERT_EQ(entries.size(), 7u);
    EXPECT_TRUE(HasValidServerCounts(DEFAULT_SERVER_LIST));
    EXPECT_EQ(DefaultServerIndex(DEFAULT_SERVER_LIST), 0);
    int dotted = 0;
    for (const auto& entry : entries) {
        ASSERT_TRUE(entry.has_value());
        EXPECT_GE(CountChar(entry->title, ','), 2u) << entry->title;
        dotted += entry->address.find_first_not_of("0123456789.") == std::string::npos ? 1 : 0;
    }
    EXPECT_EQ(dotted, 3);
}

TEST(SettingsFile, WrittenTextReadsBackToTheSameFields) {
    SettingsFields original = Parse("");
    original.m_autoSync = false;
    original.m_autoSyncStep = 42;
    original.m_serverList = kTwoServers;
    original.m_bellEnabled = 1;
    original.m_bellFile = "D:\\Sounds\\gong.wav";
    original.m_barVisible = false;
    original.m_alwaysShowBar = false;
    original.m_chimeHourly = false;
    original.m_shutdownKind = kShutdownAtTime;
    original.m_shutdownAtStartup = true;
    original.m_atHour = 23;
    original.m_atMinute = 59;
    original.m_atSecond = 58;

    const std::string text = FormatSettingsText(original);
    EXPECT_EQ(text.substr(0, 28), "[auto]=0\r\n[diff]=42\r\n[list]=");
    EXPECT_NE(text.find("[shut]=5\r\n[shcd]=1522490\r\n"), std::string::npos);

    SettingsFields back = Parse(text);
    EXPECT_EQ(FormatSettingsText(back), text);
    EXPECT_FALSE(back.m_shutdownDisarmed);
}

TEST(SettingsFile, StartupArmingOfSavedSchedules) {
    // A delay schedule comes back as a 60-second delay; the stored time becomes the at-time.
    SettingsFields delay = Parse("[shut]=3\r\n[shcd]=66051\r\n");
    EXPECT_EQ(delay.m_shutdownKind, kShutdownAfterDelay);
    EXPECT_FALSE(delay.m_shutdownDisarmed);
    EXPECT_EQ(delay.m_secondsLeft, 60);
    EXPECT_EQ(delay.m_afterHour + delay.m_afterMinute + delay.m_afterSecond, 0);
    EXPECT_EQ(delay.m_atHour, 1);
    EXPECT_EQ(delay.m_atMinute, 2);
    EXPECT_EQ(delay.m_atSecond, 3);

    SettingsFields atTime = Parse("[shut]=5\r\n[shcd]=66051\r\n");
    EXPECT_FALSE(atTime.m_shutdownDisarmed);
    SettingsFields notAuto = Parse("[shut]=2\r\n[shcd]=66051\r\n");
    EXPECT_EQ(notAuto.m_shutdownKind, kShutdownAfterDelay);
    EXPECT_TRUE(notAuto.m_shutdownDisarmed);
}

} // namespace
} // namespace hv
