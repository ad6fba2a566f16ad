#include "timeservice/ServiceIdentity.h"

namespace hv {

bool IsGenuineTimeService(const PipeServerFacts& facts) {
    if (!facts.pipeServerPid || !facts.servicePid || *facts.servicePid == 0) return false;
    if (*facts.pipeServerPid != *facts.servicePid) return false;
    if (!facts.accountsDistinct) return true;
    return facts.serverUserSid && *facts.serverUserSid == kLocalServiceSid;
}

} // namespace hv
