#pragma once
#include <cstdint>

namespace hv {

constexpr int kSecondsPerDay = 86400;

// Seconds since some fixed local midnight: local wall-clock time as one count, so that
// "the previous tick" and "the set time" can be compared across midnight.
using LocalSeconds = std::int64_t;

// The two ends of one tick: the local time the previous tick saw, and now.
struct TickSpan {
    LocalSeconds previous;
    LocalSeconds now;
};

} // namespace hv
