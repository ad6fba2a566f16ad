#include "sync/ClockStep.h"

#include "framework/CivilTime.h"
#include "framework/ClockRole.h"
#include "framework/TimeUnits.h"

namespace hv {

namespace {

std::int64_t MicrosPastMillisecond(std::int64_t micros) {
    const std::int64_t rest = micros % kMicrosPerMilli;
    return rest < 0 ? rest + kMicrosPerMilli : rest;
}

// Reads the clock until `offsetMicros` past it is a whole millisecond, or has just passed
// one; returns that target. A clock coarser than a millisecond ends the wait at its next
// step, which is no worse than not waiting; a clock set back meanwhile ends it at once.
std::int64_t TargetOnMillisecond(ClockRole& clock, std::int64_t offsetMicros) {
    const std::int64_t first = clock.NowMicroseconds() + offsetMicros;
    const std::int64_t past = MicrosPastMillisecond(first);
    if (past == 0) return first;
    const std::int64_t boundary = first - past + kMicrosPerMilli;
    for (;;) {
        const std::int64_t target = clock.NowMicroseconds() + offsetMicros;
        if (target >= boundary || target < first) return target;
    }
}

} // namespace

ClockStep StepClockBy(ClockRole& clock, std::int64_t offsetMicros) {
    const std::int64_t target = TargetOnMillisecond(clock, offsetMicros);
    const std::int64_t setTo = target - MicrosPastMillisecond(target);
    const UnixSplit split = SplitUnixMicros(setTo);
    CivilTime utc = CivilFromUnixSeconds(split.seconds);
    utc.millisecond = static_cast<int>(split.micros / kMicrosPerMilli);
    ClockStep step;
    step.set = clock.SetSystemTimeUtc(utc);
    if (step.set) step.callMicros = clock.NowMicroseconds() - setTo;
    return step;
}

} // namespace hv
