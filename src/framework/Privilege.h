#pragma once
#include <cstdint>

namespace hv {

// Privileges the program enables in its own access token.
constexpr const char* kSystemTimePrivilege = "SeSystemtimePrivilege";
constexpr const char* kShutdownPrivilege = "SeShutdownPrivilege";

// The outcome of enabling one privilege: which step failed and the system's error number
// at that moment. A token that holds no such privilege fails at Enable with 1300.
struct PrivilegeOutcome {
    enum class Step { None, OpenToken, Enable };
    Step failedStep = Step::None;
    std::uint32_t error = 0;

    bool Succeeded() const { return failedStep == Step::None; }
};

} // namespace hv
