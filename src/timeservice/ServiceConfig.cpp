#include "timeservice/ServiceConfig.h"

#include "framework/RegistryRole.h"

namespace hv {
namespace {
constexpr RegistryPlace kApprovedPlace{RegistryRoot::LocalMachine, kServiceConfigKey, kApprovedServersValue};
constexpr RegistryPlace kLimitPlace{RegistryRoot::LocalMachine, kServiceConfigKey, kMaxCorrectionValue};
} // namespace

ServiceConfig LoadServiceConfig(RegistryRole& registry) {
    ServiceConfig config;
    if (const auto stored = registry.ReadRegistryValue(kApprovedPlace)) {
        if (const auto* text = std::get_if<std::string>(&*stored)) config.approved = ApprovedServers::FromStored(*text);
    }
    config.maxCorrectionSeconds = StoredMaxCorrection(registry).value_or(kDefaultMaxCorrectionSeconds);
    return config;
}

std::optional<std::uint32_t> StoredMaxCorrection(RegistryRole& registry) {
    const auto stored = registry.ReadRegistryValue(kLimitPlace);
    if (!stored) return std::nullopt;
    if (const auto* seconds = std::get_if<std::uint32_t>(&*stored)) return *seconds;
    return std::nullopt;
}

SystemResult SaveApprovedServers(RegistryRole& registry, const ApprovedServers& approved) {
    return registry.WriteRegistryValue(kApprovedPlace, approved.Stored());
}

SystemResult SaveMaxCorrection(RegistryRole& registry, std::uint32_t seconds) {
    return registry.WriteRegistryValue(kLimitPlace, seconds);
}

} // namespace hv
