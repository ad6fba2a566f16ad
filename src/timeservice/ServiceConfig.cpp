#include "timeservice/ServiceConfig.h"

#include "framework/Platform.h"

namespace hv {
namespace {
constexpr RegistryPlace kApprovedPlace{RegistryRoot::LocalMachine, kServiceConfigKey, kApprovedServersValue};
constexpr RegistryPlace kLimitPlace{RegistryRoot::LocalMachine, kServiceConfigKey, kMaxCorrectionValue};
constexpr RegistryPlace kApprovedPolicy{RegistryRoot::LocalMachine, kServicePolicyKey, kApprovedServersValue};
constexpr RegistryPlace kLimitPolicy{RegistryRoot::LocalMachine, kServicePolicyKey, kMaxCorrectionValue};
} // namespace

ServiceConfig EffectiveServiceConfig(Platform& platform) {
    ServiceConfig config = LoadServiceConfig(platform);
    if (const auto stored = platform.ReadRegistryValue(kApprovedPolicy)) {
        if (const auto* text = std::get_if<std::string>(&*stored)) {
            config.approved = ApprovedServers::FromStored(*text);
            config.approvedFromPolicy = true;
        }
    }
    if (const auto stored = platform.ReadRegistryValue(kLimitPolicy)) {
        if (const auto* seconds = std::get_if<std::uint32_t>(&*stored)) {
            config.maxCorrectionSeconds = *seconds;
            config.limitFromPolicy = true;
        }
    }
    return config;
}

ServiceConfig LoadServiceConfig(Platform& platform) {
    ServiceConfig config;
    if (const auto stored = platform.ReadRegistryValue(kApprovedPlace)) {
        if (const auto* text = std::get_if<std::string>(&*stored)) config.approved = ApprovedServers::FromStored(*text);
    }
    config.maxCorrectionSeconds = StoredMaxCorrection(platform).value_or(kDefaultMaxCorrectionSeconds);
    return config;
}

std::optional<std::uint32_t> StoredMaxCorrection(Platform& platform) {
    const auto stored = platform.ReadRegistryValue(kLimitPlace);
    if (!stored) return std::nullopt;
    if (const auto* seconds = std::get_if<std::uint32_t>(&*stored)) return *seconds;
    return std::nullopt;
}

bool SaveApprovedServers(Platform& platform, const ApprovedServers& approved) {
    return platform.WriteRegistryValue(kApprovedPlace, approved.Stored());
}

bool SaveMaxCorrection(Platform& platform, std::uint32_t seconds) {
    return platform.WriteRegistryValue(kLimitPlace, seconds);
}

} // namespace hv
