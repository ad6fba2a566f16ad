#include "sync/NtpPacket.h"

#include "sync/NtpTime.h"

#include <cmath>

namespace hv {
namespace {

constexpr int kFixedPointShift = 16;
constexpr double kFixedPointUnit = 1.0 / 65536.0;
constexpr float kLargestWholeSeconds = 65535.0f;

template <std::size_t Offset, std::size_t Count, typename Bytes>
auto Field(Bytes& bytes) {
    return std::span(bytes).template subspan<Offset, Count>();
}

// Only whole seconds travel, as the decoded form keeps no more; anything the 16-bit
// integer part cannot hold is clamped rather than left to an undefined conversion.
std::uint32_t WholeSecondsFixedPoint(float seconds) {
    if (!(seconds > 0.0f)) return 0;
    const float whole = std::trunc(seconds < kLargestWholeSeconds ? seconds : kLargestWholeSeconds);
    return static_cast<std::uint32_t>(whole) << kFixedPointShift;
}

float WholeSecondsOf(std::span<const std::uint8_t, 4> field) {
    return static_cast<float>(GetU32BE(field) >> kFixedPointShift);
}

} // namespace

NtpPacketBytes EncodePacket(const NtpPacket& packet) {
    NtpPacketBytes bytes{};
    const unsigned first = ((static_cast<unsigned>(packet.leapIndicator) & 3u) << 6) |
                           ((static_cast<unsigned>(packet.versionNumber) & 7u) << 3) |
                           (static_cast<unsigned>(packet.mode) & 7u);
    bytes[0] = static_cast<std::uint8_t>(first);
    bytes[1] = static_cast<std::uint8_t>(packet.stratum);
    bytes[2] = static_cast<std::uint8_t>(packet.poll);
    bytes[3] = static_cast<std::uint8_t>(packet.precision);
    PutU32BE(Field<kRootDelayOffset, 4>(bytes), WholeSecondsFixedPoint(packet.rootDelay));
    PutU32BE(Field<kRootDispersionOffset, 4>(bytes), WholeSecondsFixedPoint(packet.rootDispersion));
    for (std::size_t i = 0; i < packet.referenceId.size(); ++i) {
        bytes[kReferenceIdOffset + i] = packet.referenceId[i];
    }
    ToNtpTimestamp(Field<kReferenceTimestampOffset, 8>(bytes), packet.referenceTimestamp);
    ToNtpTimestamp(Field<kOriginateTimestampOffset, 8>(bytes), packet.originateTimestamp);
    ToNtpTimestamp(Field<kReceiveTimestampOffset, 8>(bytes), packet.receiveTimestamp);
    ToNtpTimestamp(Field<kTransmitTimestampOffset, 8>(bytes), packet.transmitTimestamp);
    return bytes;
}

NtpPacket DecodePacket(std::span<const std::uint8_t, kNtpPacketBytes> bytes, double eraReference) {
    const auto stamp = [&](auto field) {
        const double firstEra = FromNtpTimestamp(field);
        return eraReference == 0.0 ? firstEra : PlaceInNearestEra(firstEra, eraReference);
    };
    NtpPacket packet;
    packet.leapIndicator = bytes[0] >> 6;
    packet.versionNumber = (bytes[0] >> 3) & 7;
    packet.mode = bytes[0] & 7;
    packet.stratum = bytes[1];
    packet.poll = bytes[2];
    packet.precision = static_cast<std::int8_t>(bytes[3]);
    packet.rootDelay = WholeSecondsOf(Field<kRootDelayOffset, 4>(bytes));
    packet.rootDispersion = WholeSecondsOf(Field<kRootDispersionOffset, 4>(bytes));
    for (std::size_t i = 0; i < packet.referenceId.size(); ++i) {
        packet.referenceId[i] = bytes[kReferenceIdOffset + i];
    }
    packet.referenceTimestamp = stamp(Field<kReferenceTimestampOffset, 8>(bytes));
    packet.originateTimestamp = stamp(Field<kOriginateTimestampOffset, 8>(bytes));
    packet.receiveTimestamp = stamp(Field<kReceiveTimestampOffset, 8>(bytes));
    packet.transmitTimestamp = stamp(Field<kTransmitTimestampOffset, 8>(bytes));
    return packet;
}

double RootFieldSeconds(std::span<const std::uint8_t, 4> field) {
    return static_cast<double>(GetU32BE(field)) * kFixedPointUnit;
}

} // namespace hv
