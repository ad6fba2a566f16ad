#pragma once
#include "framework/fake/FakePlatform.h"
#include "sync/NtpPacket.h"
#include "sync/NtpTime.h"
#include "sync/SntpClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace hv::testing {

inline constexpr std::uint32_t kServerAddress = 0x0A000001; // 10.0.0.1
inline const IpEndpoint kServer{kServerAddress, kNtpPort};

inline std::int64_t MicrosFromNtp(double ntpSeconds) {
    return std::llround((ntpSeconds - static_cast<double>(kNtpUnixEpochOffset)) * 1e6);
}

// A well-formed server reply to a request: every check passes unless a test breaks one.
inline NtpPacketBytes ReplyTo(const std::vector<std::uint8_t>& request, double t2, double t3) {
    NtpPacket packet;
    packet.versionNumber = 4;
    packet.mode = kModeServer;
    packet.stratum = 2;
    packet.receiveTimestamp = t2;
    packet.transmitTimestamp = t3;
    NtpPacketBytes bytes = EncodePacket(packet);
    std::copy_n(request.begin() + kTransmitTimestampOffset, kNtpTimestampBytes,
                bytes.begin() + kOriginateTimestampOffset);
    return bytes;
}

// A client on the fake network with one server, "time.test", at 10.0.0.1.
class SntpFixture : public ::testing::Test {
protected:
    SntpFixture() {
        fake.hosts["time.test"] = {kServerAddress};
        client.SetServerAddress("time.test");
    }

    // Opens the socket and sends one request with the local clock at t1 (NTP seconds).
    void SendAt(double t1) {
        fake.SetNowMicroseconds(MicrosFromNtp(t1));
        ASSERT_TRUE(client.Create());
        ASSERT_TRUE(client.SendRequest());
    }

    // A well-formed reply to the last request sent.
    NtpPacketBytes ValidReply(double t2, double t3) const { return ReplyTo(fake.sent.back().bytes, t2, t3); }

    // Delivers bytes with the local clock at t4.
    void DeliverAt(double t4, std::vector<std::uint8_t> bytes, IpEndpoint from = kServer) {
        fake.SetNowMicroseconds(MicrosFromNtp(t4));
        fake.Deliver(Datagram{std::move(bytes), from});
    }

    void DeliverAt(double t4, const NtpPacketBytes& bytes) {
        DeliverAt(t4, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    }

    FakePlatform fake;
    SntpClient client{fake};
};

} // namespace hv::testing
