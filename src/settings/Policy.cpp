#include "settings/Policy.h"

#include "framework/Platform.h"
#include "settings/ServerList.h"

namespace hv {
namespace {

std::optional<std::uint32_t> ReadNumber(Platform& platform, const char* name) {
    return ValueAs<std::uint32_t>(platform.ReadRegistryValue({RegistryRoot::LocalMachine, kPolicyKey, name}));
}

std::optional<std::string> ReadText(Platform& platform, const char* name) {
    return ValueAs<std::string>(platform.ReadRegistryValue({RegistryRoot::LocalMachine, kPolicyKey, name}));
}

} // namespace

Policy Policy::Read(Platform& platform) {
    Policy policy;
    if (const auto on = ReadNumber(platform, kPolicyAutoSyncValue)) policy.autoSync = *on != 0;
    if (const auto minutes = ReadNumber(platform, kPolicyAutoSyncMinutesValue))
        policy.autoSyncStep = AutoSyncStepOfMinutes(*minutes);
    if (auto list = ReadText(platform, kPolicyServerListValue); list && HasValidServerCounts(*list)) {
        policy.serverList = std::move(*list);
    }
    policy.serverListLocked = ReadNumber(platform, kPolicyLockServerListValue).value_or(0) != 0;
    policy.shutdownOffered = ReadNumber(platform, kPolicyAllowShutdownValue).value_or(1) != 0;
    return policy;
}

void Policy::ApplyTo(Settings& settings) const {
    if (autoSync) settings.autoSync = *autoSync;
    if (autoSyncStep) settings.autoSyncStep = *autoSyncStep;
    if (serverList) settings.serverList = *serverList;
    if (!shutdownOffered) settings.shutdown = ShutdownSchedule{};
}

void Policy::KeepUsersOwn(Settings& toSave, const Settings& usersOwn) const {
    if (autoSync) toSave.autoSync = usersOwn.autoSync;
    if (autoSyncStep) toSave.autoSyncStep = usersOwn.autoSyncStep;
    if (FixesServerList()) toSave.serverList = usersOwn.serverList;
    if (!shutdownOffered) toSave.shutdown = usersOwn.shutdown;
}

} // namespace hv
