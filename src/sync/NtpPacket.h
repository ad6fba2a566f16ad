#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace hv {

// The fixed part of every SNTP datagram.
inline constexpr std::size_t kNtpPacketBytes = 48;
using NtpPacketBytes = std::array<std::uint8_t, kNtpPacketBytes>;

// Wire offsets of the fields that are read or written on their own.
inline constexpr std::size_t kRootDelayOffset = 4;
inline constexpr std::size_t kRootDispersionOffset = 8;
inline constexpr std::size_t kReferenceIdOffset = 12;
inline constexpr std::size_t kReferenceTimestampOffset = 16;
inline constexpr std::size_t kOriginateTimestampOffset = 24;
inline constexpr std::size_t kReceiveTimestampOffset = 32;
inline constexpr std::size_t kTransmitTimestampOffset = 40;

inline constexpr int kModeClient = 3;
inline constexpr int kModeServer = 4;

// One packet in decoded form. Timestamps are NTP seconds counted from 1900; root delay
// and dispersion keep only whole seconds (the reply checks read the exact values from
// the wire with RootFieldSeconds).
struct NtpPacket {
    std::int32_t leapIndicator = 0;
    std::int32_t versionNumber = 0;
    std::int32_t mode = 0;
    std::int32_t stratum = 0;
    std::int32_t poll = 0;
    std::int8_t precision = 0;
    float rootDelay = 0.0f;
    float rootDispersion = 0.0f;
    std::array<std::uint8_t, 4> referenceId{};
    double referenceTimestamp = 0.0;
    double originateTimestamp = 0.0;
    double receiveTimestamp = 0.0;
    double transmitTimestamp = 0.0;
};

NtpPacketBytes EncodePacket(const NtpPacket& packet);
// Timestamps come out in the era nearest to eraReference (NTP seconds, normally the
// local clock); with the default they stay in the first era, 1900-2036.
NtpPacket DecodePacket(std::span<const std::uint8_t, kNtpPacketBytes> bytes, double eraReference = 0.0);

// A root delay or dispersion field read exactly, as unsigned 16.16 fixed point seconds.
double RootFieldSeconds(std::span<const std::uint8_t, 4> field);

} // namespace hv
