#pragma once
#include "settings/Settings.h"

#include <cstdint>
#include <optional>
#include <string>

namespace hv {

class Platform;

// What administrators set centrally (Group Policy writes it under HKEY_LOCAL_MACHINE, where
// users may only read). A value present here wins over the user's own setting.
constexpr const char* kPolicyKey = "Software\\Policies\\Horvane";
// REG_DWORD: 1 runs automatic synchronisation, 0 keeps it off.
constexpr const char* kPolicyAutoSyncValue = "AutoSync";
// REG_DWORD: the automatic period in minutes, rounded down to a quarter hour and kept to
// what the preferences offer.
constexpr const char* kPolicyAutoSyncMinutesValue = "AutoSyncMinutes";
// REG_SZ: the server list in the settings file's encoding ("Title(address)?...?N").
constexpr const char* kPolicyServerListValue = "ServerList";
// REG_DWORD: 1 keeps users from changing the server list.
constexpr const char* kPolicyLockServerListValue = "LockServerList";
// REG_DWORD: 0 takes the ShutDown command away (and any shutdown a user had scheduled).
constexpr const char* kPolicyAllowShutdownValue = "AllowShutdown";

// Shown in the preferences beside what the policy fixes.
constexpr const char* kTextSetByPolicy = "Some of these settings are set by your administrator.";

struct Policy {
    std::optional<bool> autoSync;
    std::optional<std::int32_t> autoSyncStep;
    std::optional<std::string> serverList;
    bool serverListLocked = false;
    bool shutdownOffered = true;

    // A value of the wrong type, or a list that is not a valid list, counts as not set.
    static Policy Read(Platform& platform);

    bool FixesAutoSync() const { return autoSync.has_value() || autoSyncStep.has_value(); }
    bool FixesServerList() const { return serverList.has_value() || serverListLocked; }
    bool FixesAnything() const { return FixesAutoSync() || FixesServerList() || !shutdownOffered; }

    // The values the program runs with.
    void ApplyTo(Settings& settings) const;
    // What is written back: the user's own values where the policy decided, so that a policy
    // withdrawn later leaves the user's choices as they were.
    void KeepUsersOwn(Settings& toSave, const Settings& usersOwn) const;
};

} // namespace hv
