#include "shutdown/PowerOff.h"

#include <cstdint>
#include <cstdio>

namespace hv {

namespace {

// The number goes straight after "is" in the first text and after a blank in the second.
constexpr const char* kFormatTokenFailed =
    "Failed to OpenProcessToken,the reason is%u,Please make sure you have the right to shut down!";
constexpr const char* kFormatPrivilegeFailed =
    "Failed to SetPrivilege,the reason is %d,Please make sure you have the right to shut down!";

std::string PrivilegeFailureText(const PrivilegeOutcome& outcome) {
    char text[160];
    if (outcome.failedStep == PrivilegeOutcome::Step::OpenToken) {
        std::snprintf(text, sizeof text, kFormatTokenFailed, static_cast<unsigned>(outcome.error));
    } else {
        std::snprintf(text, sizeof text, kFormatPrivilegeFailed,
                      static_cast<int>(static_cast<std::int32_t>(outcome.error)));
    }
    return text;
}

} // namespace

std::optional<std::string> PowerOffComputer(ProcessRole& process, const std::function<void()>& beforeRequest) {
    const PrivilegeOutcome privilege = process.EnablePrivilege(kShutdownPrivilege);
    if (!privilege.Succeeded()) return PrivilegeFailureText(privilege);
    if (beforeRequest) beforeRequest();
    process.RequestPowerOff();
    return std::nullopt;
}

} // namespace hv
