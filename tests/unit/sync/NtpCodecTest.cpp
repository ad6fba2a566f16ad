#include "sync/NtpPacket.h"
#include "sync/NtpTime.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace hv {
namespace {

TEST(NtpTime, TimestampsSplitIntoWireSecondsAndFraction) {
    std::array<std::uint8_t, 8> bytes{};
    ToNtpTimestamp(bytes, 3'900'000'000.5);
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 8>{0xE8, 0x75, 0x47, 0x00, 0x80, 0, 0, 0}));
    EXPECT_DOUBLE_EQ(FromNtpTimestamp(bytes), 3'900'000'000.5);
    // A second-era time keeps only the low 32 bits of its seconds on the wire ...
    ToNtpTimestamp(bytes, kNtpEraSeconds + 10.25);
    EXPECT_DOUBLE_EQ(FromNtpTimestamp(bytes), 10.25);
    // ... and is put back in the era nearest the local clock; zero means "not set".
    EXPECT_DOUBLE_EQ(PlaceInNearestEra(10.25, kNtpEraSeconds - 20.0), kNtpEraSeconds + 10.25);
    EXPECT_DOUBLE_EQ(PlaceInNearestEra(kNtpEraSeconds - 20.0, kNtpEraSeconds + 5.0), kNtpEraSeconds - 20.0);
    EXPECT_DOUBLE_EQ(PlaceInNearestEra(0.0, kNtpEraSeconds + 5.0), 0.0);
    // The local clock runs on past the wrap, and before 1970 counts up from the second below.
    EXPECT_NEAR(NtpSecondsFromUnixMicros((4294967296 - kNtpUnixEpochOffset) * 1'000'000 + 500'000),
                kNtpEraSeconds + 0.5, 1e-6);
    EXPECT_NEAR(NtpSecondsFromUnixMicros(-1), 2208988799.999999, 1e-6);
}

TEST(NtpPacketCodec, EveryFieldRoundTrips) {
    NtpPacket packet;
    packet.leapIndicator = 2;
    packet.versionNumber = 3;
    packet.mode = 5;
    packet.stratum = 254;
    packet.poll = 17;
    packet.precision = -20;
    packet.rootDelay = 3.0f;
    packet.rootDispersion = 65535.0f;
    packet.referenceId = {'G', 'P', 'S', 0};
    packet.referenceTimestamp = 3'900'000'000.25;
    packet.originateTimestamp = 3'900'000'001.5;
    packet.receiveTimestamp = 3'900'000'002.75;
    packet.transmitTimestamp = 3'900'000'003.125;

    const NtpPacketBytes bytes = EncodePacket(packet);
    EXPECT_EQ(bytes[0], (2 << 6) | (3 << 3) | 5);
    EXPECT_EQ(bytes[3], 0xEC);
    const NtpPacket back = DecodePacket(bytes);
    EXPECT_EQ(back.leapIndicator, packet.leapIndicator);
    EXPECT_EQ(back.versionNumber, packet.versionNumber);
    EXPECT_EQ(back.mode, packet.mode);
    EXPECT_EQ(back.stratum, packet.stratum);
    EXPECT_EQ(back.poll, packet.poll);
    EXPECT_EQ(back.precision, packet.precision);
    EXPECT_EQ(back.rootDelay, packet.rootDelay);
    EXPECT_EQ(back.rootDispersion, packet.rootDispersion);
    EXPECT_EQ(back.referenceId, packet.referenceId);
    EXPECT_EQ(back.referenceTimestamp, packet.referenceTimestamp);
    EXPECT_EQ(back.originateTimestamp, packet.originateTimestamp);
    EXPECT_EQ(back.receiveTimestamp, packet.receiveTimestamp);
    EXPECT_EQ(back.transmitTimestamp, packet.transmitTimestamp);
}

TEST(NtpPacketCodec, RootFieldsKeepWholeSecondsButReadExactly) {
    NtpPacketBytes bytes{};
    bytes[5] = 0x02;
    bytes[6] = 0x80;  // root delay 2.5 s
    const NtpPacket packet = DecodePacket(bytes);
    EXPECT_EQ(packet.rootDelay, 2.0f);
    EXPECT_DOUBLE_EQ(RootFieldSeconds(std::span(bytes).subspan<4, 4>()), 2.5);
    // Values the field cannot hold are clamped, never left to an undefined conversion.
    NtpPacket wild;
    wild.rootDelay = -7.0f;
    wild.rootDispersion = 1e30f;
    const NtpPacket clamped = DecodePacket(EncodePacket(wild));
    EXPECT_EQ(clamped.rootDelay, 0.0f);
    EXPECT_EQ(clamped.rootDispersion, 65535.0f);
}

} // namespace
} // namespace hv
