#pragma once
#include "framework/UdpSocket.h"
#include "sync/NtpTime.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace hv {

inline constexpr std::uint16_t kNtpPort = 123;

// What a datagram must match to be the reply to the request that is outstanding.
struct ReplyExpectation {
    IpEndpoint server;
    // The transmit timestamp exactly as it left in the request.
    std::array<std::uint8_t, kNtpTimestampBytes> requestTransmit{};
};

// The verdict on one datagram: Accepted, or the first check it failed.
enum class ReplyVerdict {
    Accepted,
    WrongSender,
    TooShort,
    WrongMode,
    BadVersion,
    Unsynchronised,
    BadStratum,
    ZeroTransmit,
    RootDistanceTooLarge,
    WrongOriginate,
};

ReplyVerdict ValidateReply(const Datagram& datagram, const ReplyExpectation& expected);

// A short English reason, for diagnostics.
std::string_view ReplyVerdictText(ReplyVerdict verdict);

} // namespace hv
