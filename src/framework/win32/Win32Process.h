#pragma once
#include "framework/ProcessRole.h"

namespace hv {

// The running process through the Win32 API: its mutex, its file, its token, the debugger's
// output, and the machine's power.
class Win32Process : public virtual ProcessRole {
public:
    Held AcquireInstanceLock(std::string_view name) override;
    std::string ModuleFileName() override;
    void Trace(std::string_view text) override;
    PrivilegeOutcome EnablePrivilege(std::string_view name) override;
    bool RequestPowerOff() override;
};

} // namespace hv
