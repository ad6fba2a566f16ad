#pragma once
#include <cstdint>

namespace hv {

// The one place the program's units of time are related; whole numbers, so a division by
// one of them stays whole unless a side is floating point already.
constexpr std::int64_t kMicrosPerMilli = 1000;
constexpr std::int64_t kMillisPerSecond = 1000;
constexpr std::int64_t kMicrosPerSecond = kMicrosPerMilli * kMillisPerSecond;
constexpr std::int64_t kSecondsPerMinute = 60;
constexpr std::int64_t kMillisPerMinute = kSecondsPerMinute * kMillisPerSecond;
constexpr std::int64_t kSecondsPerHour = 60 * kSecondsPerMinute;
constexpr int kSecondsPerDay = 24 * kSecondsPerHour;

// Microseconds as seconds with their fraction, for showing and for arithmetic in seconds.
constexpr double SecondsFromMicros(std::int64_t micros) {
    return static_cast<double>(micros) / static_cast<double>(kMicrosPerSecond);
}

} // namespace hv
