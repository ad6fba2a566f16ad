#include "app/TracedCalls.h"

#include <string>

namespace hv {
namespace {
constexpr const char* kTraceTimerNotSet = "Horvane: a timer could not be started, id ";
constexpr const char* kTraceNotTakenBefore = "Horvane: the window \"";
constexpr const char* kTraceNotTakenCode = "\" did not take copy-data code ";
constexpr const char* kTraceNotTakenAfter = " in time";
} // namespace

void SendTraced(Platform& platform, WindowId window, std::string_view title, std::uintptr_t code,
                std::string_view text) {
    if (!platform.SendCopyData(window, code, text)) {
        platform.Trace(std::string(kTraceNotTakenBefore) + std::string(title) + kTraceNotTakenCode +
                       std::to_string(code) + kTraceNotTakenAfter);
    }
}

void SendToTitled(Platform& platform, const char* title, std::uintptr_t code, std::string_view text) {
    if (WindowId window = platform.FindWindowByTitle(title)) SendTraced(platform, window, title, code, text);
}

void StartTimerTraced(Platform& platform, int timerId, unsigned periodMs) {
    if (!platform.SetTimer(timerId, periodMs)) platform.Trace(kTraceTimerNotSet + std::to_string(timerId));
}

CivilTime LocalNow(Platform& platform) {
    return platform.ToLocalTime(SplitUnixMicros(platform.NowMicroseconds()).seconds);
}

} // namespace hv
