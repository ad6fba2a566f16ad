#pragma once
#include "framework/Registry.h"
#include "timeservice/ApprovedServers.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace hv {

class Platform;

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
// The range both settings take, in seconds: a stored value outside it is clamped.
constexpr std::uint32_t kShortestSettingSeconds = 1;
constexpr std::uint32_t kLongestSettingSeconds = 366u * 24 * 60 * 60;

struct ServiceConfig {
    ApprovedServers approved;
    std::uint32_t maxCorrectionSeconds = kDefaultMaxCorrectionSeconds;
    std::uint32_t confirmAboveSeconds = kDefaultConfirmAboveSeconds;
    // What was wrong with the stored numbers and what was used instead, in words for the
    // status command and the event log; empty when nothing was.
    std::string problems;
};

// A number of seconds as an administrator may store it: a DWORD, or a whole decimal
// number as text (what "reg add" writes without /t). Nothing for a missing value; a
// problem text for one that cannot be read as given.
struct StoredSeconds {
    std::optional<std::uint32_t> seconds;
    std::string problem;
};
StoredSeconds ReadStoredSeconds(const std::optional<RegistryValue>& stored, std::string_view name);
// A whole decimal number of seconds in the settings' range, as the subcommands take it.
std::optional<std::uint32_t> ParseSettingSeconds(std::string_view text);

// Read afresh for every request, so an approval takes effect at once. Without a key or a
// value: no server approved, the default numbers.
ServiceConfig LoadServiceConfig(Platform& platform);
bool SaveApprovedServers(Platform& platform, const ApprovedServers& approved);
bool SaveMaxCorrection(Platform& platform, std::uint32_t seconds);
bool SaveConfirmAbove(Platform& platform, std::uint32_t seconds);
// Whether the limit has been set at all (install keeps one an administrator chose).
bool HasStoredMaxCorrection(Platform& platform);
// Whether an install has already put the built-in servers on the list.
bool DefaultsApprovedBefore(Platform& platform);
bool MarkDefaultsApproved(Platform& platform);

} // namespace hv
