#pragma once
#include "framework/CivilTime.h"

#include <cstdint>
#include <string>

namespace hv {

// How the companions show a time of day ("14:03:22") and a date ("Sat 03/14/2026").
std::string TimeText(const CivilTime& time);
std::string DateText(const CivilTime& time);

// How long until just after the next full second, so that a clock shown once a second turns
// with the system clock instead of drifting up to a second behind it.
unsigned MillisecondsToNextSecond(std::int64_t unixMicros);

} // namespace hv
