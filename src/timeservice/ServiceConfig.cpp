#include "timeservice/ServiceConfig.h"

#include "framework/Platform.h"

#include <algorithm>
#include <charconv>

namespace hv {
namespace {
constexpr RegistryPlace kApprovedPlace{RegistryRoot::LocalMachine, kServiceConfigKey, kApprovedServersValue};
constexpr RegistryPlace kLimitPlace{RegistryRoot::LocalMachine, kServiceConfigKey, kMaxCorrectionValue};
constexpr RegistryPlace kConfirmPlace{RegistryRoot::LocalMachine, kServiceConfigKey, kConfirmAboveValue};
constexpr RegistryPlace kDefaultsPlace{RegistryRoot::LocalMachine, kServiceConfigKey, kDefaultsApprovedValue};
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

void Take(Platform& platform, const RegistryPlace& place, std::uint32_t& seconds, std::string& problems) {
    const StoredSeconds stored = ReadStoredSeconds(platform.ReadRegistryValue(place), place.name);
    if (stored.seconds) seconds = *stored.seconds;
    if (stored.problem.empty()) return;
    if (!problems.empty()) problems += ' ';
    problems += stored.problem;
}

} // namespace

std::optional<std::uint32_t> ParseSettingSeconds(std::string_view text) {
    unsigned long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    if (value < kShortestSettingSeconds || value > kLongestSettingSeconds) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

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

ServiceConfig LoadServiceConfig(Platform& platform) {
    ServiceConfig config;
    if (const auto stored = platform.ReadRegistryValue(kApprovedPlace)) {
        if (const auto* text = std::get_if<std::string>(&*stored)) config.approved = ApprovedServers::FromStored(*text);
    }
    Take(platform, kLimitPlace, config.maxCorrectionSeconds, config.problems);
    Take(platform, kConfirmPlace, config.confirmAboveSeconds, config.problems);
    return config;
}

bool HasStoredMaxCorrection(Platform& platform) { return platform.ReadRegistryValue(kLimitPlace).has_value(); }

bool DefaultsApprovedBefore(Platform& platform) {
    // An install from before the mark was written left the list itself.
    return platform.ReadRegistryValue(kDefaultsPlace).has_value() ||
           platform.ReadRegistryValue(kApprovedPlace).has_value();
}

bool MarkDefaultsApproved(Platform& platform) {
    return platform.WriteRegistryValue(kDefaultsPlace, std::uint32_t{kMarked});
}

bool SaveApprovedServers(Platform& platform, const ApprovedServers& approved) {
    return platform.WriteRegistryValue(kApprovedPlace, approved.Stored());
}

bool SaveMaxCorrection(Platform& platform, std::uint32_t seconds) {
    return platform.WriteRegistryValue(kLimitPlace, seconds);
}

bool SaveConfirmAbove(Platform& platform, std::uint32_t seconds) {
    return platform.WriteRegistryValue(kConfirmPlace, seconds);
}

} // namespace hv
