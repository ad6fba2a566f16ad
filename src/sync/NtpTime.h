#pragma once
#include "framework/CivilTime.h"

#include <cstdint>
#include <span>

namespace hv {

// Seconds from 1900-01-01 (the NTP epoch) to 1970-01-01 (the Unix epoch).
inline constexpr std::int64_t kNtpUnixEpochOffset = 2208988800;
// One 32-bit NTP era: the wire's whole-seconds field wraps every 2^32 seconds
// (the first wrap is 2036-02-07 06:28:16 UTC).
inline constexpr double kNtpEraSeconds = 4294967296.0;
// One unit of the wire's 32-bit fraction field, 2^-32 s.
inline constexpr double kNtpFractionUnit = 2.3283064365386963e-10;
// Bytes of one wire timestamp: 32 bits of seconds, 32 bits of fraction.
inline constexpr std::size_t kNtpTimestampBytes = 8;

// Big-endian 32-bit fields, as every multi-byte field on the wire is.
void PutU32BE(std::span<std::uint8_t, 4> destination, std::uint32_t value);
std::uint32_t GetU32BE(std::span<const std::uint8_t, 4> source);

// Writes NTP seconds (counted from 1900, any era) as a wire timestamp: the low 32 bits of
// the whole seconds, then the fraction in units of 2^-32 s, truncated.
void ToNtpTimestamp(std::span<std::uint8_t, kNtpTimestampBytes> destination, double ntpSeconds);
// Reads a wire timestamp as NTP seconds of the first era (1900-2036).
double FromNtpTimestamp(std::span<const std::uint8_t, kNtpTimestampBytes> source);

// Moves a first-era reading into the era that puts it nearest to a reference time, so that
// a server stamp taken across the 2036 wrap from the local clock stays right. A zero
// timestamp means "not set" on the wire and stays zero.
double PlaceInNearestEra(double firstEraSeconds, double referenceNtpSeconds);

// The local clock (microseconds since 1970) as NTP seconds, without any era wrap.
double NtpSecondsFromUnixMicros(std::int64_t unixMicros);

} // namespace hv
