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

struct ServiceConfig {
    ApprovedServers approved;
    std::uint32_t maxCorrectionSeconds = kDefaultMaxCorrectionSeconds;
};

// Read afresh for every request, so an approval takes effect at once. Without a key or a
// value: no server approved, the default limit.
ServiceConfig LoadServiceConfig(RegistryRole& registry);
// The system's error when it refuses the change.
SystemResult SaveApprovedServers(RegistryRole& registry, const ApprovedServers& approved);
SystemResult SaveMaxCorrection(RegistryRole& registry, std::uint32_t seconds);
// Whether the limit has been set at all (install keeps one an administrator chose).
std::optional<std::uint32_t> StoredMaxCorrection(RegistryRole& registry);

} // namespace hv
