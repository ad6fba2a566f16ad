#pragma once
#include <cstdint>
#include <deque>

namespace hv {

// The limit bounds what the service moves the clock in any 24 hours, not one step: a
// source of wrong answers asked once a minute would otherwise walk the clock by the limit
// every minute. Every correction made counts by its size, whichever way it went.
// Times are milliseconds of a clock that never steps.
class CorrectionBudget {
public:
    static constexpr std::int64_t kWindowMs = 24LL * 60 * 60 * 1000;

    // Whether a correction of this size keeps the sum of the last 24 hours within the limit.
    bool Allows(std::int64_t nowMs, std::int64_t offsetMicros, std::uint32_t limitSeconds) const;
    void Record(std::int64_t nowMs, std::int64_t offsetMicros);
    // What the corrections of the last 24 hours add up to, in microseconds.
    std::int64_t SpentMicros(std::int64_t nowMs) const;

private:
    struct Made {
        std::int64_t atMs;
        std::int64_t sizeMicros;
    };
    std::deque<Made> m_made;
};

} // namespace hv
