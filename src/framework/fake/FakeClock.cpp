#include "framework/fake/FakeClock.h"

#include "framework/TimeUnits.h"

namespace hv {

std::int64_t FakeClock::NowMicroseconds() {
    const std::int64_t now = m_nowMicros;
    Pass(clockReadMicros);
    return now;
}

CivilTime FakeClock::ToLocalTime(std::int64_t unixSeconds) {
    const bool summer =
        daylightSaving && unixSeconds >= daylightSaving->startUtc && unixSeconds < daylightSaving->endUtc;
    return CivilFromUnixSeconds(unixSeconds + localOffsetSeconds + (summer ? daylightSaving->shiftSeconds : 0));
}

bool FakeClock::SetSystemTimeUtc(const CivilTime& utc) {
    if (refuseSystemTime) return false;
    systemTimeSets.push_back(utc);
    m_nowMicros = UnixSecondsFromCivil(utc) * kMicrosPerSecond + std::int64_t{utc.millisecond} * kMicrosPerMilli +
                  setTimeCallMicros;
    m_elapsedMicros += setTimeCallMicros;
    return true;
}

std::int64_t MicrosFromUtc(int year, int month, int day, int hour, int minute, int second, int microsecond) {
    CivilTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    return UnixSecondsFromCivil(t) * kMicrosPerSecond + microsecond;
}

} // namespace hv
