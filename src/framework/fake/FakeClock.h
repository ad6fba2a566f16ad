#pragma once
#include "framework/ClockRole.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace hv {

// The system clock and the time that has really passed, both still until a test (or a
// fake that costs time) moves them.
class FakeClock : public virtual ClockRole {
public:
    // The local zone: a fixed offset from UTC, and optionally daylight saving time, when
    // the clock is `shiftSeconds` further ahead from `startUtc` up to `endUtc` (seconds
    // since 1970, UTC), as a zone's rule makes it for one year.
    struct DaylightSaving {
        std::int64_t startUtc;
        std::int64_t endUtc;
        int shiftSeconds = 3600;
    };
    int localOffsetSeconds = 0;
    std::optional<DaylightSaving> daylightSaving;
    std::vector<CivilTime> systemTimeSets;
    bool refuseSystemTime = false;
    // Time passes as on a real machine: every reading of the clock costs this much, and
    // setting it takes this much after the new time applies (at the start of the call).
    std::int64_t clockReadMicros = 1;
    std::int64_t setTimeCallMicros = 20;

    void SetNowMicroseconds(std::int64_t micros) { m_nowMicros = micros; }
    // The clock as it stands, without the cost of a reading.
    std::int64_t PeekMicroseconds() const { return m_nowMicros; }
    // How far the system clock stands from the time that has really passed: changes only
    // when the clock is set, so a test sees exactly what a step did.
    std::int64_t ClockStepMicros() const { return m_nowMicros - m_elapsedMicros; }
    // The time that has passed, which timers and sounds run on: as on Windows, setting the
    // clock changes it not.
    std::int64_t ElapsedMicros() const { return m_elapsedMicros; }
    void Pass(std::int64_t micros) {
        m_nowMicros += micros;
        m_elapsedMicros += micros;
    }

    std::int64_t NowMicroseconds() override;
    CivilTime ToLocalTime(std::int64_t unixSeconds) override;
    bool SetSystemTimeUtc(const CivilTime& utc) override;

private:
    std::int64_t m_nowMicros = 0;
    std::int64_t m_elapsedMicros = 0;
};

// Builds a UTC instant for tests: 2026-03-14 12:00:00.900 and the like.
std::int64_t MicrosFromUtc(int year, int month, int day, int hour, int minute, int second, int microsecond = 0);

} // namespace hv
