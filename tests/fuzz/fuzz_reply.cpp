// Arbitrary datagrams through the reply checks and the packet decoder.
#include "sync/NtpPacket.h"
#include "sync/ReplyValidation.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cmath>

namespace {

constexpr hv::IpEndpoint kServer{0x7F000001, hv::kNtpPort};

void Require(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hv::Datagram datagram{std::vector<std::uint8_t>(data, data + size), kServer};
    // Let the input echo its own originate field now and then, so the fuzzer gets past the
    // last check; an odd length pretends the datagram came from another port.
    hv::ReplyExpectation expected{kServer, {}};
    if (size >= hv::kNtpPacketBytes) {
        std::copy_n(data + hv::kOriginateTimestampOffset, expected.requestTransmit.size(),
                    expected.requestTransmit.begin());
    }
    if (size % 2 == 1) datagram.from.port = 124;

    const hv::ReplyVerdict verdict = hv::ValidateReply(datagram, expected);
    Require(!hv::ReplyVerdictText(verdict).empty());
    if (size < hv::kNtpPacketBytes) {
        Require(verdict != hv::ReplyVerdict::Accepted);
        return 0;
    }

    const auto bytes = std::span(datagram.bytes).first<hv::kNtpPacketBytes>();
    const double localClock = 3'900'000'000.0 + static_cast<double>(size);
    const hv::NtpPacket packet = hv::DecodePacket(bytes, localClock);
    Require(std::isfinite(packet.receiveTimestamp) && std::isfinite(packet.transmitTimestamp));
    Require(std::fabs(packet.transmitTimestamp - localClock) <= 2'147'483'648.0 || packet.transmitTimestamp == 0.0);
    if (verdict == hv::ReplyVerdict::Accepted) {
        Require(packet.mode == hv::kModeServer && packet.stratum >= 1 && packet.stratum <= 15);
        Require(packet.leapIndicator != 3 && packet.transmitTimestamp != 0.0);
    }
    // Encoding what was decoded must give back the header bytes the codec keeps exactly.
    const hv::NtpPacketBytes again = hv::EncodePacket(hv::DecodePacket(bytes));
    Require(std::equal(again.begin(), again.begin() + 4, bytes.begin()));
    Require(std::equal(again.begin() + 12, again.begin() + 16, bytes.begin() + 12));
    return 0;
}
