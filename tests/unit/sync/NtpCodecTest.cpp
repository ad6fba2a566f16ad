#include "sync/NtpPacket.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <tuple>

namespace hv::testing {
namespace {

// A packet spelled out as the wire format lays it out, read and written back byte for byte;
// the era a timestamp falls in is the exchange tests', the root distance's exact reading
// the reply validation's.
TEST(NtpPacketCodec, EveryFieldSitsWhereTheWireFormatPutsIt) {
    const NtpPacketBytes wire{
        0x9D, 254,  17,   0xEC, // leap 2, version 3, mode 5; stratum, poll, precision -20
        0,    3,    0,    0,    0xFF, 0xFF, 0, 0, 'G', 'P', 'S', 0, // root delay 3 s, dispersion 65535 s, reference id
        0xE8, 0x75, 0x47, 0x00, 0x40, 0,    0, 0,                   // reference 3'900'000'000.25
        0xE8, 0x75, 0x47, 0x01, 0x80, 0,    0, 0,                   // originate 3'900'000'001.5
        0xE8, 0x75, 0x47, 0x02, 0xC0, 0,    0, 0,                   // receive 3'900'000'002.75
        0xE8, 0x75, 0x47, 0x03, 0x20, 0,    0, 0,                   // transmit 3'900'000'003.125
    };
    const NtpPacket p = DecodePacket(wire);
    EXPECT_EQ(std::tuple(p.leapIndicator, p.versionNumber, p.mode, p.stratum, p.poll, int{p.precision}),
              std::tuple(2, 3, 5, 254, 17, -20));
    EXPECT_EQ(std::tuple(p.rootDelay, p.rootDispersion), std::tuple(3.0f, 65535.0f));
    EXPECT_EQ(p.referenceId, (std::array<std::uint8_t, 4>{'G', 'P', 'S', 0}));
    EXPECT_EQ(std::tuple(p.referenceTimestamp, p.originateTimestamp, p.receiveTimestamp, p.transmitTimestamp),
              std::tuple(3'900'000'000.25, 3'900'000'001.5, 3'900'000'002.75, 3'900'000'003.125));
    EXPECT_EQ(EncodePacket(p), wire);
}

} // namespace
} // namespace hv::testing
