#pragma once
#include "framework/Registry.h"
#include "framework/SystemResult.h"
#include "timeservice/CorrectionLimit.h"
#include "timeservice/ApprovedServers.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace hv {

class RegistryRole;

// Where the time service keeps what administrators decide: under HKEY_LOCAL_MACHINE, whose
// default access lets users read this key and only administrators and SYSTEM change it.
constexpr const char* kServiceConfigKey = "Software\\Horvane\\TimeService";
constexpr const char* kApprovedServersValue = "ApprovedServers";
constexpr const char* kMaxCorrectionValue = "MaxCorrectionSeconds";
constexpr const char* kConfirmAboveValue = "ConfirmAboveSeconds";
// Written by the first install, which alone approves the built-in servers: later installs
// (upgrades, repairs) leave the list as the administrator left it, revocations included.
constexpr const char* kDefaultsApprovedValue = "DefaultsApproved";
// Fifteen hours: the largest correction the system's own time service makes on a machine
// outside a domain. It bounds the sum of the corrections of any 24 hours.
constexpr std::uint32_t kDefaultMaxCorrectionSeconds = 15 * 60 * 60;
// A step larger than this is made only when a second approved server agrees.
constexpr std::uint32_t kDefaultConfirmAboveSeconds = 60;
// The range both settings take, in seconds (what "limit" accepts): a stored value outside it
// is clamped.
constexpr std::uint32_t kShortestSettingSeconds = 1;
constexpr std::uint32_t kLongestSettingSeconds = kLongestLimitSeconds;
// Group Policy's place for the same two values; where one is set it wins over the local one.
constexpr const char* kServicePolicyKey = "Software\\Policies\\Horvane\\TimeService";

struct ServiceConfig {
    ApprovedServers approved;
    std::uint32_t maxCorrectionSeconds = kDefaultMaxCorrectionSeconds;
    std::uint32_t confirmAboveSeconds = kDefaultConfirmAboveSeconds;
    // What was wrong with the stored numbers and what was used instead, in words for the
    // status command and the event log; empty when nothing was.
    std::string problems;
    bool approvedFromPolicy = false;
    bool limitFromPolicy = false;
};

// A number of seconds as an administrator may store it: a DWORD, or a whole decimal
// number as text (what "reg add" writes without /t). Nothing for a missing value; a
// problem text for one that cannot be read as given.
struct StoredSeconds {
    std::optional<std::uint32_t> seconds;
    std::string problem;
};
StoredSeconds ReadStoredSeconds(const std::optional<RegistryValue>& stored, std::string_view name);

// Read afresh for every request, so an approval takes effect at once. Without a key or a
// value: no server approved, the default numbers.
ServiceConfig LoadServiceConfig(RegistryRole& registry);
// What the service works with: the policy's values over the local ones. The subcommands
// that change the local values start from LoadServiceConfig, so a policy is never copied
// into the administrator's own configuration.
ServiceConfig EffectiveServiceConfig(RegistryRole& registry);
// The system's error when it refuses the change.
SystemResult SaveApprovedServers(RegistryRole& registry, const ApprovedServers& approved);
SystemResult SaveMaxCorrection(RegistryRole& registry, std::uint32_t seconds);
SystemResult SaveConfirmAbove(RegistryRole& registry, std::uint32_t seconds);
// Whether the limit has been set at all (install keeps one an administrator chose).
bool HasStoredMaxCorrection(RegistryRole& registry);
// Whether an install has already put the built-in servers on the list.
bool DefaultsApprovedBefore(RegistryRole& registry);
SystemResult MarkDefaultsApproved(RegistryRole& registry);

} // namespace hv
