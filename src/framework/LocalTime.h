#pragma once
#include "framework/TimeUnits.h"

#include <cstdint>

namespace hv {

// Seconds since some fixed local midnight: local wall-clock time as one count. It jumps
// when daylight saving time begins or ends, so it tells what the clock shows, not how much
// time passed.
using LocalSeconds = std::int64_t;

// One tick of the one-second timer: what the local clock shows, and how much time passed
// since the tick before by the system clock, which daylight saving time does not move.
struct TickSpan {
    LocalSeconds now;
    std::int64_t utcNow;  // the system clock, seconds since 1970
    std::int64_t elapsed; // system-clock seconds since the previous tick

    // Whether the moment the local clock showed `ago` seconds before now came after the
    // previous tick, i.e. it was reached on this tick.
    bool ReachedOnThisTick(LocalSeconds ago) const { return ago >= 0 && ago < elapsed; }
};

} // namespace hv
