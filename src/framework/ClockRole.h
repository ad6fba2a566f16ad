#pragma once
#include "framework/CivilTime.h"

#include <cstdint>

namespace hv {

// The system clock: read, shown in the local zone, and set.
class ClockRole {
public:
    virtual ~ClockRole() = default;

    // The system clock in microseconds since 1970-01-01 00:00 UTC, at its full resolution.
    virtual std::int64_t NowMicroseconds() = 0;
    virtual CivilTime ToLocalTime(std::int64_t unixSeconds) = 0;
    virtual bool SetSystemTimeUtc(const CivilTime& utc) = 0;
};

} // namespace hv
