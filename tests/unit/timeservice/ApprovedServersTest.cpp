#include "timeservice/ApprovedServers.h"
#include "timeservice/InstallApprovals.h"
#include "timeservice/ServerName.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace hv::testing {
namespace {

TEST(ServerName, NormalFormIsLowerCaseWithoutTheRootDot) {
    const std::string label(63, 'a'), name253 = label + "." + label + "." + label + "." + std::string(61, 'a');
    const std::pair<std::string, std::string> names[] = {{"time-a-g.nist.gov", "time-a-g.nist.gov"},
                                                         {"PTBTIME1.PTB.DE.", "ptbtime1.ptb.de"},
                                                         {"localhost", "localhost"},
                                                         {name253, name253},
                                                         {"2001:DB8:0:0::0123", "2001:db8::123"}};
    for (const auto& [text, name] : names) EXPECT_EQ(NormaliseServerName(text), name) << text;
    for (const std::string& text :
         std::vector<std::string>{name253 + "a", std::string(64, 'a'), "", ".", ".example", "a..example",
                                  "time_server.example", "tíme.example", "127.0.0.1:123", "time.example\r\n"}) {
        EXPECT_FALSE(NormaliseServerName(text)) << text;
    }
}

TEST(ApprovedServers, MatchExactlyAfterNormalisingAndNothingElse) {
    ApprovedServers list;
    EXPECT_TRUE(list.Add("Time-A-G.NIST.gov"));
    EXPECT_TRUE(list.Add("127.0.0.1"));
    EXPECT_TRUE(list.Add("2001:db8::123"));
    EXPECT_TRUE(list.Add("time-a-g.nist.gov.")); // the same server: kept once
    EXPECT_FALSE(list.Add("not a name"));
    // One label is resolved by broadcast where DNS does not know it: anyone may answer.
    for (const char* single : {"timehost", "LOCALHOST.", "wpad"}) EXPECT_FALSE(list.Add(single)) << single;
    EXPECT_EQ(list.Stored(), "time-a-g.nist.gov 127.0.0.1 2001:db8::123");

    EXPECT_TRUE(list.Contains("TIME-A-G.NIST.GOV."));
    EXPECT_TRUE(list.Contains("127.0.0.1"));
    EXPECT_TRUE(list.Contains("2001:0DB8:0000::0:123")); // the same bits
    // Other spellings of an approved address are other names: nothing is resolved.
    for (const char* other : {"0x7f.0.0.1", "127.1", "127.0.0.01", "time-a-g.nist.gov.evil.example", "", " 127.0.0.1",
                              "::ffff:127.0.0.1", "2001:db8::124"}) {
        EXPECT_FALSE(list.Contains(other)) << other;
    }

    EXPECT_TRUE(list.Remove("TIME-A-G.nist.gov"));
    EXPECT_FALSE(list.Remove("time-a-g.nist.gov"));
    EXPECT_EQ(list.Names(), (std::vector<std::string>{"127.0.0.1", "2001:db8::123"}));
}

TEST(ApprovedServers, StoredTextIsReadWordByWordAndJunkIsLeftOut) {
    const ApprovedServers list =
        ApprovedServers::FromStored("  a.example  B.EXAMPLE bad_name a.example timehost 10.0.0.1 ");
    EXPECT_EQ(list.Names(), (std::vector<std::string>{"a.example", "b.example", "10.0.0.1"}));
    EXPECT_TRUE(ApprovedServers::FromStored("").Names().empty());
}

TEST(InstallApprovals, BuiltInServersOnTheFirstInstallOnlyAndConfigOnlyWhenAsked) {
    constexpr const char* kBuiltIn = "A(a.example)?B(b.example)?";
    constexpr const char* kConfig = "Mine(mine.example)?B(b.example)?0";
    struct Case {
        const char* current;
        bool first;
        std::optional<std::string_view> config;
        const char* approved;
        std::vector<std::string> added;
    };
    // A bare first install, and a revocation kept across the next, are end-to-end tests'.
    const Case cases[] = {
        {"", true, kConfig, "a.example b.example mine.example", {"a.example", "b.example", "mine.example"}},
        {"", false, kConfig, "mine.example b.example", {"mine.example", "b.example"}},
    };
    for (const Case& c : cases) {
        const InstallApprovals plan =
            PlanInstallApprovals(ApprovedServers::FromStored(c.current), c.first, kBuiltIn, c.config);
        EXPECT_EQ(plan.approved.Stored(), c.approved);
        EXPECT_EQ(plan.added, c.added) << c.approved;
    }
}

} // namespace
} // namespace hv::testing
