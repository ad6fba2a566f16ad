#pragma once
#include "framework/SystemResult.h"
#include "timeservice/ApprovedServers.h"

#include <cstdint>
#include <optional>

namespace hv {

class RegistryRole;

// Where the time service keeps what administrators decide: under HKEY_LOCAL_MACHINE, whose
// default access lets users read this key and only administrators and SYSTEM change it.
constexpr const char* kServiceConfigKey = "Software\\Horvane\\TimeService";
constexpr const char* kApprovedServersValue = "ApprovedServers";
constexpr const char* kMaxCorrectionValue = "MaxCorrectionSeconds";
// Fifteen hours: the largest correction the system's own time service makes on a machine
// outside a domain.
constexpr std::uint32_t kDefaultMaxCorrectionSeconds = 15 * 60 * 60;
// Group Policy's place for the same two values; where one is set it wins over the local one.
constexpr const char* kServicePolicyKey = "Software\\Policies\\Horvane\\TimeService";

struct ServiceConfig {
    ApprovedServers approved;
    std::uint32_t maxCorrectionSeconds = kDefaultMaxCorrectionSeconds;
    bool approvedFromPolicy = false;
    bool limitFromPolicy = false;
};

// Read afresh for every request, so an approval takes effect at once. Without a key or a
// value: no server approved, the default limit.
ServiceConfig LoadServiceConfig(RegistryRole& registry);
// What the service works with: the policy's values over the local ones. The subcommands
// that change the local values start from LoadServiceConfig, so a policy is never copied
// into the administrator's own configuration.
ServiceConfig EffectiveServiceConfig(RegistryRole& registry);
// The system's error when it refuses the change.
SystemResult SaveApprovedServers(RegistryRole& registry, const ApprovedServers& approved);
SystemResult SaveMaxCorrection(RegistryRole& registry, std::uint32_t seconds);
// Whether the limit has been set at all (install keeps one an administrator chose).
std::optional<std::uint32_t> StoredMaxCorrection(RegistryRole& registry);

} // namespace hv
