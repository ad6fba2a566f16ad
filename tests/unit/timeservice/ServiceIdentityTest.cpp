#include "timeservice/ServiceIdentity.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>

namespace hv::testing {
namespace {

TEST(ServiceIdentity, OnlyTheServiceManagersOwnProcessAsLocalServiceIsBelieved) {
    const std::string user = "S-1-5-21-1004336348-1177238915-682003330-1001";
    const std::string account = "NT AUTHORITY\\LocalService";
    const std::optional<std::string> unreadable;
    struct Case {
        const char* what;
        PipeServerFacts facts;
        bool genuine;
    } cases[] = {
        {"the service, its token read", {4242, 4242, account, kLocalServiceSid, true}, true},
        {"the service, its token closed to the caller", {4242, 4242, account, unreadable, true}, true},
        {"the account spelled in capitals", {4242, 4242, "NT AUTHORITY\\LOCALSERVICE", unreadable, true}, true},
        {"a squatter while the service is stopped", {4242, 0, account, user, true}, false},
        {"a squatter, the service not installed", {4242, std::nullopt, "", user, true}, false},
        {"an extra instance by another process", {777, 4242, account, user, true}, false},
        {"an extra instance by another LocalService process", {777, 4242, account, kLocalServiceSid, true}, false},
        {"the service reconfigured to another account", {4242, 4242, "LocalSystem", unreadable, true}, false},
        {"the service's process under another account", {4242, 4242, account, user, true}, false},
        {"no server process id", {std::nullopt, 4242, account, kLocalServiceSid, true}, false},
        {"process id 0 on both sides", {0, 0, account, kLocalServiceSid, true}, false},
        {"Wine: the service, every token the user's", {4242, 4242, account, user, false}, true},
        {"Wine: a squatter", {777, 4242, account, user, false}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsGenuineTimeService(c.facts), c.genuine) << c.what;
}

// The pipe's DACL, read ACE by ACE: who gets which rights.
std::map<std::string, std::string> Grants(const std::string& sddl) {
    std::map<std::string, std::string> grants;
    const std::regex ace(R"(\(A;;([^;]*);;;([^)]*)\))");
    for (auto it = std::sregex_iterator(sddl.begin(), sddl.end(), ace); it != std::sregex_iterator(); ++it) {
        grants[(*it)[2]] = (*it)[1];
    }
    return grants;
}

TEST(ServiceIdentity, PipeLetsUsersAskAndOnlyTheServiceAndAdministratorsServe) {
    const std::string sddl = kPipeSecurityDescriptor;
    EXPECT_EQ(sddl.rfind("D:P(", 0), 0u) << "a protected DACL, nothing inherited";
    const auto grants = Grants(sddl);
    EXPECT_EQ(grants,
              (std::map<std::string, std::string>{{"SY", "GA"}, {"BA", "GA"}, {"LS", "GA"}, {"IU", "0x12018b"}}));
    // Users: read, write and write attributes with the standard read rights; no new instance,
    // delete, DACL or owner.
    EXPECT_EQ(kPipeClientAccess, 0x12018bu) << "the tray program asks for exactly what users get";
}

} // namespace
} // namespace hv::testing
