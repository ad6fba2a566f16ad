#include "timeservice/ServiceConfig.h"

#include "framework/RegistryRole.h"

#include <algorithm>
#include <charconv>

namespace hv {
namespace {
constexpr RegistryPlace kApprovedPlace{RegistryRoot::LocalMachine, kServiceConfigKey, kApprovedServersValue};
constexpr RegistryPlace kLimitPlace{RegistryRoot::LocalMachine, kServiceConfigKey, kMaxCorrectionValue};
constexpr RegistryPlace kConfirmPlace{RegistryRoot::LocalMachine, kServiceConfigKey, kConfirmAboveValue};
constexpr RegistryPlace kDefaultsPlace{RegistryRoot::LocalMachine, kServiceConfigKey, kDefaultsApprovedValue};
constexpr RegistryPlace kApprovedPolicy{RegistryRoot::LocalMachine, kServicePolicyKey, kApprovedServersValue};
constexpr RegistryPlace kLimitPolicy{RegistryRoot::LocalMachine, kServicePolicyKey, kMaxCorrectionValue};
constexpr std::uint32_t kMarked = 1;
constexpr std::string_view kBlanks = " \t";

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string Range() {
    return std::to_string(kShortestSettingSeconds) + " to " + std::to_string(kLongestSettingSeconds);
}

// Clamped, and said so: a value set by hand must not take the service past what "limit"
// allows, nor to no correction at all without anyone knowing.
StoredSeconds Clamped(unsigned long long seconds, std::string_view name) {
    StoredSeconds result;
    const auto clamped = static_cast<std::uint32_t>(
        std::clamp<unsigned long long>(seconds, kShortestSettingSeconds, kLongestSettingSeconds));
    result.seconds = clamped;
    if (clamped != seconds) {
        result.problem = std::string(name) + " " + std::to_string(seconds) + " is outside " + Range() + "; " +
                         std::to_string(clamped) + " is used.";
    }
    return result;
}

void Take(RegistryRole& registry, const RegistryPlace& place, std::uint32_t& seconds, std::string& problems) {
    const StoredSeconds stored = ReadStoredSeconds(registry.ReadRegistryValue(place), place.name);
    if (stored.seconds) seconds = *stored.seconds;
    if (stored.problem.empty()) return;
    if (!problems.empty()) problems += ' ';
    problems += stored.problem;
}

} // namespace

StoredSeconds ReadStoredSeconds(const std::optional<RegistryValue>& stored, std::string_view name) {
    if (!stored) return {};
    if (const auto* number = std::get_if<std::uint32_t>(&*stored)) return Clamped(*number, name);
    const std::string_view text = Trimmed(std::get<std::string>(*stored));
    unsigned long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (!text.empty() && end == text.data() + text.size() && error == std::errc::result_out_of_range) {
        return Clamped(kLongestSettingSeconds + 1ULL, name);
    }
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        StoredSeconds unreadable;
        unreadable.problem = std::string(name) + " is text that is not a whole number of seconds; the default is used.";
        return unreadable;
    }
    return Clamped(value, name);
}

ServiceConfig EffectiveServiceConfig(RegistryRole& registry) {
    ServiceConfig config = LoadServiceConfig(registry);
    if (const auto text = ValueAs<std::string>(registry.ReadRegistryValue(kApprovedPolicy))) {
        config.approved = ApprovedServers::FromStored(*text);
        config.approvedFromPolicy = true;
    }
    if (const auto seconds = ValueAs<std::uint32_t>(registry.ReadRegistryValue(kLimitPolicy))) {
        config.maxCorrectionSeconds = *seconds;
        config.limitFromPolicy = true;
    }
    return config;
}

ServiceConfig LoadServiceConfig(RegistryRole& registry) {
    ServiceConfig config;
    if (const auto text = ValueAs<std::string>(registry.ReadRegistryValue(kApprovedPlace))) {
        config.approved = ApprovedServers::FromStored(*text);
    }
    Take(registry, kLimitPlace, config.maxCorrectionSeconds, config.problems);
    Take(registry, kConfirmPlace, config.confirmAboveSeconds, config.problems);
    return config;
}

bool HasStoredMaxCorrection(RegistryRole& registry) { return registry.ReadRegistryValue(kLimitPlace).has_value(); }

bool DefaultsApprovedBefore(RegistryRole& registry) {
    // An install from before the mark was written left the list itself.
    return registry.ReadRegistryValue(kDefaultsPlace).has_value() ||
           registry.ReadRegistryValue(kApprovedPlace).has_value();
}

SystemResult MarkDefaultsApproved(RegistryRole& registry) {
    return registry.WriteRegistryValue(kDefaultsPlace, std::uint32_t{kMarked});
}

SystemResult SaveApprovedServers(RegistryRole& registry, const ApprovedServers& approved) {
    return registry.WriteRegistryValue(kApprovedPlace, approved.Stored());
}

SystemResult SaveMaxCorrection(RegistryRole& registry, std::uint32_t seconds) {
    return registry.WriteRegistryValue(kLimitPlace, seconds);
}

SystemResult SaveConfirmAbove(RegistryRole& registry, std::uint32_t seconds) {
    return registry.WriteRegistryValue(kConfirmPlace, seconds);
}

} // namespace hv
