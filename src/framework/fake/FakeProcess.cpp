#include "framework/fake/FakeProcess.h"

#include "framework/fake/FlagHold.h"

namespace hv {
namespace {
constexpr std::uint32_t kErrorNotAllAssigned = 1300;
constexpr std::uint32_t kErrorNoSuchPrivilege = 1313;
} // namespace

Held FakeProcess::AcquireInstanceLock(std::string_view) {
    if (otherInstanceRunning) return nullptr;
    return std::make_unique<FlagHold>(instanceLockHeld);
}

PrivilegeOutcome FakeProcess::EnablePrivilege(std::string_view name) {
    if (!tokenOpens) return {PrivilegeOutcome::Step::OpenToken, tokenOpenError};
    if (name != kSystemTimePrivilege && name != kShutdownPrivilege) {
        return {PrivilegeOutcome::Step::Enable, kErrorNoSuchPrivilege};
    }
    if (!privilegeHeld) return {PrivilegeOutcome::Step::Enable, kErrorNotAllAssigned};
    privilegesEnabled.emplace_back(name);
    return {};
}

} // namespace hv
