#pragma once
#include "framework/ProcessRole.h"

#include <cstdint>
#include <string>
#include <vector>

namespace hv {

// The process's lock, file, traces and token in memory; a power-off is only counted.
class FakeProcess : public virtual ProcessRole {
public:
    bool otherInstanceRunning = false;
    bool instanceLockHeld = false;
    std::vector<std::string> traces;
    std::string moduleFileName = "C:\\Horvane\\Horvane.exe";

    bool tokenOpens = true;
    std::uint32_t tokenOpenError = 5;
    bool privilegeHeld = true;
    std::vector<std::string> privilegesEnabled;
    int powerOffRequests = 0;

    Held AcquireInstanceLock(std::string_view name) override;
    std::string ModuleFileName() override { return moduleFileName; }
    void Trace(std::string_view text) override { traces.emplace_back(text); }
    PrivilegeOutcome EnablePrivilege(std::string_view name) override;
    bool RequestPowerOff() override {
        ++powerOffRequests;
        return true;
    }
};

} // namespace hv
