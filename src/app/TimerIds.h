#pragma once
#include "framework/TimeUnits.h"
#include "settings/Settings.h"

namespace hv {

// Timers of the main window.
constexpr int kTimerSyncTimeout = 102;
constexpr int kTimerTick = 104;
constexpr int kTimerAutoSync = 105;
constexpr int kTimerCatchUp = 107; // a run after a resume or with the network back
constexpr int kTimerTrayRetry = 110;

constexpr unsigned kSyncTimeoutMs = 10000;
constexpr unsigned kTickMs = 1000;
// Until the shell takes the tray icon (it may not be ready just after log-on).
constexpr unsigned kTrayRetryMs = 2000;
// The system's longest timer period; a step read from the file may ask for more.
constexpr long long kLongestTimerMs = 0x7FFFFFFF;

inline unsigned AutoSyncPeriodMs(int step) {
    const long long period = AutoSyncMinutes(step) * kMillisPerMinute;
    return static_cast<unsigned>(period < kLongestTimerMs ? period : kLongestTimerMs);
}

// Automatic runs are scheduled only when switched on with a non-negative step.
inline bool AutoSyncScheduled(bool autoSync, int step) { return autoSync && step >= 0; }

} // namespace hv
