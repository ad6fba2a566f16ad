#include "sync/NtpTime.h"

#include <cmath>

namespace hv {
namespace {

constexpr double kSecondsPerMicro = 0.000001;

// Truncates toward zero into the int64 range; NaN counts as zero. Keeps the float to
// integer conversion defined for any input a packet or a caller can produce.
std::int64_t TruncateToInt64(double value) {
    constexpr double kLimit = 9.2e18;
    if (std::isnan(value)) return 0;
    if (value >= kLimit) return static_cast<std::int64_t>(kLimit);
    if (value <= -kLimit) return -static_cast<std::int64_t>(kLimit);
    return static_cast<std::int64_t>(value);
}

} // namespace

void PutU32BE(std::span<std::uint8_t, 4> destination, std::uint32_t value) {
    destination[0] = static_cast<std::uint8_t>(value >> 24);
    destination[1] = static_cast<std::uint8_t>(value >> 16);
    destination[2] = static_cast<std::uint8_t>(value >> 8);
    destination[3] = static_cast<std::uint8_t>(value);
}

std::uint32_t GetU32BE(std::span<const std::uint8_t, 4> source) {
    return (std::uint32_t{source[0]} << 24) | (std::uint32_t{source[1]} << 16) | (std::uint32_t{source[2]} << 8) |
           std::uint32_t{source[3]};
}

void ToNtpTimestamp(std::span<std::uint8_t, kNtpTimestampBytes> destination, double ntpSeconds) {
    const std::int64_t whole = TruncateToInt64(ntpSeconds);
    const double fraction = ntpSeconds - static_cast<double>(whole);
    const std::int64_t units = TruncateToInt64(fraction * kNtpEraSeconds);
    PutU32BE(destination.first<4>(), static_cast<std::uint32_t>(whole));
    PutU32BE(destination.last<4>(), static_cast<std::uint32_t>(units));
}

double FromNtpTimestamp(std::span<const std::uint8_t, kNtpTimestampBytes> source) {
    return static_cast<double>(GetU32BE(source.first<4>())) +
           static_cast<double>(GetU32BE(source.last<4>())) * kNtpFractionUnit;
}

double PlaceInNearestEra(double firstEraSeconds, double referenceNtpSeconds) {
    if (firstEraSeconds == 0.0) return 0.0;
    const double eras = std::round((referenceNtpSeconds - firstEraSeconds) / kNtpEraSeconds);
    if (!std::isfinite(eras)) return firstEraSeconds;
    return firstEraSeconds + eras * kNtpEraSeconds;
}

double NtpSecondsFromUnixMicros(std::int64_t unixMicros) {
    const UnixSplit split = SplitUnixMicros(unixMicros);
    return static_cast<double>(split.seconds + kNtpUnixEpochOffset) +
           static_cast<double>(split.micros) * kSecondsPerMicro;
}

} // namespace hv
