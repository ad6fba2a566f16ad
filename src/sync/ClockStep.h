#pragma once
#include <cstdint>

namespace hv {

class ClockRole;

// How one step of the system clock went.
struct ClockStep {
    bool set = false;            // the system took the new time
    std::int64_t callMicros = 0; // from the time set to the first reading after the call
};

// Steps the system clock by `offsetMicros`, privilege already held. The system takes whole
// milliseconds, so setting "now + offset" cut to its millisecond would leave the clock up to
// a millisecond behind. Instead the clock is watched, spinning rather than sleeping and for
// at most a millisecond, until now + offset reaches a whole millisecond, and exactly that
// millisecond is set: the cut then costs nothing.
ClockStep StepClockBy(ClockRole& clock, std::int64_t offsetMicros);

} // namespace hv
