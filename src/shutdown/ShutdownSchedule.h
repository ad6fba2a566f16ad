#pragma once
#include "framework/LocalTime.h"

#include <cstdint>

namespace hv {

enum ShutdownKind : std::int16_t { kShutdownNone = 0, kShutdownAfterDelay = 1, kShutdownAtTime = 2 };

// A delay schedule restored at start-up falls due this long after loading, whatever was saved.
constexpr std::int32_t kRestoredDelaySeconds = 60;
// How long after its second an at-time schedule that no tick saw still falls due.
constexpr int kLateTickGraceSeconds = 60;

// The scheduled shutdown: after a delay or at a time of day, armed or not.
struct ShutdownSchedule {
    std::int16_t kind = kShutdownNone;
    std::int16_t afterHour = 0, afterMinute = 0, afterSecond = 0;
    std::int16_t atHour = 0, atMinute = 0, atSecond = 0;
    bool atStartup = false; // re-arm when the program starts
    bool disarmed = true;   // fallen due, deactivated, or not re-armed at start-up
    std::int32_t secondsLeft = 0;

    bool operator==(const ShutdownSchedule&) const = default;

    bool IsArmed() const;

    // The stored form: (hours << 16) | (minutes << 8) | seconds of the kind's time.
    std::int32_t PackedTime() const;

    // After loading the settings: the stored time becomes the at-time, the delay is cleared,
    // and the schedule is re-armed only where the user asked for it.
    void ArmAtStartup(std::int32_t packedTime);

    // From `now` to the at-time of the same day: negative once that has passed.
    std::int32_t SecondsToAtTimeToday(LocalSeconds now) const;
    // From `now` to the next at-time, today's or tomorrow's (0 at the set second itself).
    std::int32_t SecondsToNextAtTime(LocalSeconds now) const;

    // The per-tick countdown. Returns true when the schedule falls due on this tick; it is
    // then already disarmed, so nested ticks during the countdown leave it alone.
    bool CountDownOnTick(const TickSpan& tick);
};

} // namespace hv
