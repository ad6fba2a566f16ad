#include "app/CompanionProtocol.h"

#include "app/CommandIds.h"

namespace hv {

int CommandForCopyDataCode(std::uintptr_t code) {
    switch (code) {
    case kCodePreferences: return kCmdPreferences;
    case kCodeSynchronizeTime: return kCmdSynchronizeTime;
    case kCodeWorldClock: return kCmdWorldClock;
    case kCodeCalendar: return kCmdCalendar;
    case kCodeShutDown: return kCmdShutDown;
    case kCodeHelp: return kCmdHelp;
    case kCodeViewLog: return kCmdViewLog;
    default: return 0;
    }
}

} // namespace hv
