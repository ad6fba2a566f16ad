#pragma once
#include "framework/Privilege.h"
#include "framework/Releasable.h"

#include <string>
#include <string_view>

namespace hv {

// The running process itself: its single instance, its file, its token, its traces, and
// the machine it may switch off.
class ProcessRole {
public:
    virtual ~ProcessRole() = default;

    // The named single-instance lock; nothing when another process holds it (or it cannot
    // be made).
    virtual Held AcquireInstanceLock(std::string_view name) = 0;
    // The full path of the running executable; empty when it cannot be read.
    virtual std::string ModuleFileName() = 0;
    // For failures no user sees (an icon not added, a timer not set, a value not stored):
    // written where a developer looks, never shown.
    virtual void Trace(std::string_view text) = 0;
    // Enables the named privilege in the process's own token; it stays enabled.
    virtual PrivilegeOutcome EnablePrivilege(std::string_view name) = 0;
    virtual bool RequestPowerOff() = 0;
};

} // namespace hv
