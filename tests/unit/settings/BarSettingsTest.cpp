#include "framework/fake/FakePlatform.h"
#include "settings/BarSettings.h"

#include <gtest/gtest.h>

namespace hv {
namespace {

constexpr const char* kMachine = "HKLM\\Software\\Horvane\\Bar";
constexpr const char* kUser = "HKCU\\Software\\Horvane\\Bar";
// Stored with red in bits 16-23.
constexpr std::uint32_t kStoredRed = 0x00FF0000, kStoredTeal = 0x00008080;
constexpr Colour kRed = RgbColour(255, 0, 0), kTeal = RgbColour(0, 128, 128);

using Values = std::map<std::string, RegistryValue>;

TEST(BarSettings, ReadsUntilTheFirstMissingValueTheUsersBeforeTheMachines) {
    const struct {
        Values machine, user;
        std::optional<Colour> background, text;
        std::optional<bool> timeOnly;
    } cases[] = {
        {{}, {}, {}, {}, {}},
        {{{"Bkcolor", kStoredRed}, {"Textcolor", kStoredTeal}, {"Timeonly", 1u}}, {}, kRed, kTeal, true},
        {{{"Textcolor", kStoredTeal}, {"Timeonly", 1u}}, {}, {}, {}, {}},
        {{{"Bkcolor", kStoredRed}, {"Timeonly", 0u}}, {}, kRed, {}, {}},
        {{{"Bkcolor", std::string("red")}, {"Textcolor", kStoredTeal}}, {}, {}, {}, {}},
        {{{"Bkcolor", kStoredRed}, {"Textcolor", kStoredRed}}, {{"Textcolor", kStoredTeal}, {"Timeonly", 7u}}, kRed,
         kTeal, true},
    };
    int n = 0;
    for (const auto& c : cases) {
        FakePlatform platform;
        platform.registry[kMachine] = c.machine;
        platform.registry[kUser] = c.user;
        const BarSettings read = ReadBarSettings(platform);
        EXPECT_EQ(read.background, c.background) << n;
        EXPECT_EQ(read.text, c.text) << n;
        EXPECT_EQ(read.timeOnly, c.timeOnly) << n++;
    }
}

TEST(BarSettings, WritesTheMachinesKeyElseTheCurrentUsers) {
    FakePlatform platform;
    platform.registry[kUser]["Bkcolor"] = kStoredTeal;
    EXPECT_TRUE(WriteBarColour(platform, "Bkcolor", kRed));
    EXPECT_EQ(platform.registry[kMachine]["Bkcolor"], RegistryValue{kStoredRed});
    EXPECT_EQ(platform.registry[kUser].count("Bkcolor"), 0u) << "an older value of the user's would hide it";

    platform.registryKeysDeniedWrite.insert(kMachine);  // a standard user
    EXPECT_TRUE(WriteBarTimeOnly(platform, true));
    EXPECT_EQ(platform.registry[kUser]["Timeonly"], RegistryValue{1u});
    platform.registryKeysDeniedWrite.insert(kUser);
    EXPECT_FALSE(WriteBarTimeOnly(platform, false));
    EXPECT_EQ(platform.traces.size(), 1u);
}

} // namespace
} // namespace hv
