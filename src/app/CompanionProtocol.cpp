#include "app/CompanionProtocol.h"

#include "app/CommandIds.h"

namespace hv {

int CommandForCopyDataCode(std::uintptr_t code) {
    switch (code) {
    case 31: return kCmdPreferences;
    case 32: return kCmdSynchronizeTime;
    case 33: return kCmdWorldClock;
    case 34: return kCmdCalendar;
    case 35: return kCmdShutDown;
    case 36: return kCmdHelp;
    case 37: return kCmdViewLog;
    default: return 0;
    }
}

} // namespace hv
