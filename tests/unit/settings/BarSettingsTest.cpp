#include "framework/fake/FakePlatform.h"
#include "settings/BarSettings.h"

#include <gtest/gtest.h>

namespace hv {
namespace {

constexpr const char* kMachine = "HKLM\\Software\\Horvane\\Bar";
constexpr const char* kUser = "HKCU\\Software\\Horvane\\Bar";
// Stored with red in bits 16-23: pure red, and a blue-green.
constexpr std::uint32_t kStoredRed = 0x00FF0000;
constexpr std::uint32_t kStoredTeal = 0x00008080;
constexpr Colour kRed = RgbColour(255, 0, 0);
constexpr Colour kTeal = RgbColour(0, 128, 128);

using Values = std::map<std::string, RegistryValue>;

TEST(BarSettings, ReadsUntilTheFirstMissingValueTakingTheUsersBeforeTheMachines) {
    struct Case {
        const char* name;
        Values machine, user;
        std::optional<Colour> background, text;
        std::optional<bool> timeOnly;
    };
    const Case cases[] = {
        {"nothing stored", {}, {}, {}, {}, {}},
        {"all three", {{"Bkcolor", kStoredRed}, {"Textcolor", kStoredTeal}, {"Timeonly", 1u}}, {}, kRed, kTeal, true},
        {"no background: nothing after it", {{"Textcolor", kStoredTeal}, {"Timeonly", 1u}}, {}, {}, {}, {}},
        {"no text colour", {{"Bkcolor", kStoredRed}, {"Timeonly", 0u}}, {}, kRed, {}, {}},
        {"a string is no colour", {{"Bkcolor", std::string("red")}, {"Textcolor", kStoredTeal}}, {}, {}, {}, {}},
        {"the user's first", {{"Bkcolor", kStoredRed}, {"Textcolor", kStoredRed}, {"Timeonly", 0u}},
         {{"Textcolor", kStoredTeal}, {"Timeonly", 7u}}, kRed, kTeal, true},
    };
    for (const Case& c : cases) {
        FakePlatform platform;
        if (!c.machine.empty()) platform.registry[kMachine] = c.machine;
        if (!c.user.empty()) platform.registry[kUser] = c.user;
        const BarSettings read = ReadBarSettings(platform);
        EXPECT_EQ(read.background, c.background) << c.name;
        EXPECT_EQ(read.text, c.text) << c.name;
        EXPECT_EQ(read.timeOnly, c.timeOnly) << c.name;
    }
}

TEST(BarSettings, WritesTheMachinesKeyElseTheCurrentUsers) {
    FakePlatform platform;
    platform.registry[kUser]["Bkcolor"] = kStoredTeal;
    EXPECT_TRUE(WriteBarColour(platform, "Bkcolor", kRed));
    EXPECT_EQ(platform.registry[kMachine]["Bkcolor"], RegistryValue{kStoredRed});
    EXPECT_EQ(platform.registry[kUser].count("Bkcolor"), 0u) << "an older value of the user's would hide it";

    // A standard user cannot write the machine's key: the user's keeps the change.
    platform.registryKeysDeniedWrite.insert(kMachine);
    EXPECT_TRUE(WriteBarColour(platform, "Textcolor", kTeal));
    EXPECT_TRUE(WriteBarTimeOnly(platform, true));
    EXPECT_EQ(platform.registry[kUser]["Textcolor"], RegistryValue{kStoredTeal});
    EXPECT_EQ(platform.registry[kUser]["Timeonly"], RegistryValue{1u});
    EXPECT_EQ(ReadBarSettings(platform).text, kTeal);

    platform.registryKeysDeniedWrite.insert(kUser);
    EXPECT_FALSE(WriteBarTimeOnly(platform, false));
    EXPECT_EQ(platform.registry[kUser]["Timeonly"], RegistryValue{1u});
    EXPECT_EQ(platform.traces.size(), 1u);
}

} // namespace
} // namespace hv
