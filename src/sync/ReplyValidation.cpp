#include "sync/ReplyValidation.h"

#include "sync/NtpPacket.h"

#include <algorithm>

namespace hv {
namespace {

constexpr int kLeapUnsynchronised = 3;
constexpr int kLowestVersion = 1;
constexpr int kHighestVersion = 4;
constexpr int kLowestStratum = 1;
constexpr int kHighestStratum = 15;
constexpr double kMaxRootDistanceSeconds = 16.0;

struct Check {
    bool passed;
    ReplyVerdict failure;
};

} // namespace

ReplyVerdict ValidateReply(const Datagram& datagram, const ReplyExpectation& expected) {
    // Fields are read from a zero-padded copy so that every check below is defined for a
    // datagram of any length; the length check itself comes before all of them.
    NtpPacketBytes b{};
    std::copy_n(datagram.bytes.begin(), std::min(datagram.bytes.size(), b.size()), b.begin());
    const std::span<const std::uint8_t> bytes(b);
    const int leap = b[0] >> 6;
    const int version = (b[0] >> 3) & 7;
    const int mode = b[0] & 7;
    const int stratum = b[1];

    // RFC 4330 s.5: the reply must come from the address and port the request went to.
    const bool test1 = datagram.from == expected.server;
    // RFC 4330 s.5: anything shorter than the fixed header carries no complete time.
    const bool test2 = datagram.bytes.size() >= kNtpPacketBytes;
    // RFC 4330 s.5: only a server-mode packet answers a client-mode request.
    const bool test3 = mode == kModeServer;
    // RFC 4330 s.5: the version must be one the protocol has defined.
    const bool test4 = version >= kLowestVersion && version <= kHighestVersion;
    // RFC 4330 s.5: leap indicator 3 is the alarm of a server whose clock is not synchronised.
    const bool test5 = leap != kLeapUnsynchronised;
    // RFC 4330 s.5: stratum 0 is a kiss-o'-death, 16 and above an unsynchronised server.
    const bool test6 = stratum >= kLowestStratum && stratum <= kHighestStratum;
    // RFC 4330 s.5: a zero transmit timestamp is no time at all.
    const auto transmit = bytes.subspan<kTransmitTimestampOffset, kNtpTimestampBytes>();
    const bool test7 = std::any_of(transmit.begin(), transmit.end(), [](std::uint8_t v) { return v != 0; });
    // RFC 4330 s.5 (with RFC 5905's limit): a root distance of 16 s or more is no usable source.
    const double rootDistance = RootFieldSeconds(bytes.subspan<kRootDelayOffset, 4>()) / 2.0 +
                                RootFieldSeconds(bytes.subspan<kRootDispersionOffset, 4>());
    const bool test8 = rootDistance < kMaxRootDistanceSeconds;
    // RFC 4330 s.5: the originate timestamp must echo our request, or it answers someone else.
    const auto originate = bytes.subspan<kOriginateTimestampOffset, kNtpTimestampBytes>();
    const bool test9 = std::equal(originate.begin(), originate.end(), expected.requestTransmit.begin());

    const Check checks[] = {
        {test1, ReplyVerdict::WrongSender},    {test2, ReplyVerdict::TooShort},
        {test3, ReplyVerdict::WrongMode},      {test4, ReplyVerdict::BadVersion},
        {test5, ReplyVerdict::Unsynchronised}, {test6, ReplyVerdict::BadStratum},
        {test7, ReplyVerdict::ZeroTransmit},   {test8, ReplyVerdict::RootDistanceTooLarge},
        {test9, ReplyVerdict::WrongOriginate},
    };
    for (const Check& check : checks) {
        if (!check.passed) return check.failure;
    }
    return ReplyVerdict::Accepted;
}

std::string_view ReplyVerdictText(ReplyVerdict verdict) {
    switch (verdict) {
    case ReplyVerdict::Accepted: return "accepted";
    case ReplyVerdict::WrongSender: return "not from the server's address and port 123";
    case ReplyVerdict::TooShort: return "shorter than 48 bytes";
    case ReplyVerdict::WrongMode: return "not in server mode (4)";
    case ReplyVerdict::BadVersion: return "version outside 1 to 4";
    case ReplyVerdict::Unsynchronised: return "leap indicator 3: server clock not synchronised";
    case ReplyVerdict::BadStratum: return "stratum outside 1 to 15 (0 is a kiss-o'-death)";
    case ReplyVerdict::ZeroTransmit: return "transmit timestamp is zero";
    case ReplyVerdict::RootDistanceTooLarge: return "root distance of 16 s or more";
    case ReplyVerdict::WrongOriginate: return "originate timestamp does not echo our request";
    }
    return "unknown";
}

} // namespace hv
