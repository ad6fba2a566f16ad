#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace hv {

// The time service's names, the same in the service, its subcommands and the tray program.
constexpr const char* kTimeServiceName = "HorvaneTime";
constexpr const char* kTimeServiceDisplayName = "Horvane Time Service";
// Under ProtectedPrefix\LocalService, where the system lets only processes of the
// LocalService account create a pipe: a user's program cannot take the name before the
// service (which starts delayed, after log-on) creates it.
constexpr const char* kTimeServicePipe = "\\\\.\\pipe\\ProtectedPrefix\\LocalService\\HorvaneTime";
// The account the service runs as, and its SID: it holds the right to change the system
// time and little else.
constexpr const char* kTimeServiceAccount = "NT AUTHORITY\\LocalService";
constexpr const char* kLocalServiceSid = "S-1-5-19";
// What the service keeps of its account's rights: changing the clock, and the bypass of
// traverse checking that every process needs. It drops the rest when it starts.
constexpr const char* kTimeServicePrivileges[] = {"SeSystemtimePrivilege", "SeChangeNotifyPrivilege"};

// Who may use the pipe, in SDDL. A protected DACL (P: nothing inherited) that grants
//  - SYSTEM (SY), Administrators (BA) and LocalService (LS), the service's own account:
//    all access, including creating instances of the pipe;
//  - interactive users (IU): 0x12018b, that is read, write data, and the attributes the
//    client needs to switch the pipe to message mode, but NOT FILE_APPEND_DATA (0x4), which
//    on a pipe is the right to create another server instance of it: with the usual
//    "GW" a user could serve some of the service's clients.
// Everyone, network logons and anonymous callers get nothing.
constexpr const char* kPipeSecurityDescriptor = "D:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;LS)(A;;0x12018b;;;IU)";
// The access the tray program asks for when it opens the pipe: exactly the users' grant.
constexpr std::uint32_t kPipeClientAccess = 0x12018b;

// What the tray program learns about the process serving the pipe before it sends.
struct PipeServerFacts {
    std::optional<std::uint32_t> pipeServerPid; // the pipe's server process
    std::optional<std::uint32_t> servicePid;    // the service manager's record of the running service
    std::string serviceAccount;                 // the account the service is configured to run as
    // The user of the server process's token, when the caller may read it: a standard user
    // may not open a service's process, and then the configuration above has to do.
    std::optional<std::string> serverUserSid;
    // Wine runs every process as the logged-on user, so there a token's user tells nothing.
    bool accountsDistinct = true;
};

// The pipe is believed only when the process serving it is the one the service manager
// started as the time service, configured (by an administrator: no one else may change a
// service) to run as LocalService, and, where its token can be read, running as
// LocalService. A process that created the pipe first (squatting) fails the first test; one
// that made an extra instance of the pipe fails it too, whatever account it runs as.
bool IsGenuineTimeService(const PipeServerFacts& facts);

} // namespace hv
