#pragma once
#include <cstdint>

namespace hv {

enum ShutdownKind : std::int16_t { kShutdownNone = 0, kShutdownAfterDelay = 1, kShutdownAtTime = 2 };

constexpr int kSecondsPerDay = 86400;
// A delay schedule restored at start-up falls due this long after loading, whatever was saved.
constexpr std::int32_t kRestoredDelaySeconds = 60;
// How long after its second an at-time schedule that no tick saw still falls due.
constexpr int kLateTickGraceSeconds = 60;

// Seconds since some fixed local midnight: local wall-clock time as one count, so that
// "the previous tick" and "the set time" can be compared across midnight.
using LocalSeconds = std::int64_t;

// The two ends of one tick: the local time the previous tick saw, and now.
struct TickSpan {
    LocalSeconds previous;
    LocalSeconds now;
};

// The scheduled shutdown, as fields of the main window.
struct ShutdownSchedule {
    std::int16_t m_shutdownKind = kShutdownNone;
    std::int16_t m_afterHour = 0, m_afterMinute = 0, m_afterSecond = 0;
    std::int16_t m_atHour = 0, m_atMinute = 0, m_atSecond = 0;
    bool m_shutdownAtStartup = false;
    bool m_shutdownDisarmed = true;
    std::int32_t m_secondsLeft = 0;

    bool IsArmed() const;

    // The stored form: (hours << 16) | (minutes << 8) | seconds of the kind's time.
    std::int32_t PackedTime() const;

    // After loading the settings: the stored time becomes the at-time, the delay is cleared,
    // and the schedule is re-armed only where the user asked for it.
    void ArmAtStartup(std::int32_t packedTime);

    // The per-tick countdown. Returns true when the schedule falls due on this tick; it is
    // then already disarmed, so nested ticks during the countdown leave it alone.
    bool CountDownOnTick(const TickSpan& tick);
};

} // namespace hv
