#include "sync/SntpClient.h"

#include "sync/ClockStep.h"
#include "sync/NtpTime.h"
#include "framework/TimeUnits.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace hv {
namespace {

constexpr int kRequestVersion = 1;
// Large enough for a reply with extension fields or a MAC, which are read and ignored;
// a smaller buffer would make such a reply a receive error on Winsock.
constexpr std::size_t kReceiveBufferBytes = 1024;
// A server only copies the request's transmit timestamp into its reply, so it need not be
// a time: all 64 bits random leave an off-path sender nothing to guess from the send
// time, and the request tells nobody how our clock stands.
constexpr std::size_t kSecondsOffset = kTransmitTimestampOffset;
constexpr std::size_t kFractionOffset = kTransmitTimestampOffset + 4;

// Below this (seconds) an offset is not worth a clock change, and a send time or delay
// is no result at all.
constexpr double kNegligibleSeconds = 0.000001;
constexpr const char* kTraceStepCall = "Horvane: the clock was stepped; setting it took ";
// The message boxes show the bare error number, unsigned for a token that would not open,
// signed for a privilege that would not enable.
std::string PrivilegeFailureText(const PrivilegeOutcome& outcome) {
    char text[16];
    if (outcome.failedStep == PrivilegeOutcome::Step::OpenToken) {
        std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(outcome.error));
    } else {
        std::snprintf(text, sizeof text, "%d", static_cast<int>(outcome.error));
    }
    return text;
}

} // namespace

SntpClient::SntpClient(HeadlessPlatform& platform, NameLookup lookup) : m_platform(platform), m_nameLookup(lookup) {}

SntpClient::~SntpClient() = default;

bool SntpClient::Create() {
    if (m_awaitingReply && m_socket) return true;
    m_socket.reset();
    m_socket = m_platform.OpenUdpSocket(*this);
    return m_socket != nullptr;
}

bool SntpClient::SendRequest() {
    m_lastRefusal = ReplyVerdict::Accepted;
    m_tooSlow = false;
    m_lookup.reset(); // a second request gives up the look-up of the first
    m_sendFailed = false;
    if (m_serverAddress.empty()) return false;
    m_awaitingReply = true;
    if (const auto literal = ParseIpLiteral(m_serverAddress)) return SendToFirstOf({*literal});
    if (m_nameLookup == NameLookup::Blocking) return SendToFirstOf(m_platform.ResolveHost(m_serverAddress));
    m_lookup = m_platform.StartLookup(m_serverAddress, *this);
    if (m_lookup == nullptr) m_awaitingReply = false;
    return m_lookup != nullptr;
}

void SntpClient::OnLookupDone(const std::vector<IpAddress>& addresses) {
    m_lookup.reset();
    if (!m_awaitingReply) return;
    const bool sent = SendToFirstOf(addresses);
    m_sendFailed = !sent;
    if (m_deferredSendEvents != nullptr) m_deferredSendEvents->OnDeferredSend(sent);
}

bool SntpClient::SendToFirstOf(const std::vector<IpAddress>& addresses) {
    // A name may give an IPv6 address first on a network without an IPv6 route: the send
    // fails at once there, and the next address is tried.
    for (const IpAddress& address : addresses) {
        if (!m_socket) break;
        m_expected.server = IpEndpoint{address, kNtpPort};
        // Stamped once the address is known, immediately before the send: resolving is no
        // network delay, and a reading taken after
        // the send would count the send call itself (up to a millisecond under Wine) as
        // delay on the way out, which shifts the offset by half of it.
        const NtpPacketBytes request = BuildRequest();
        if (m_socket->SendTo(m_expected.server, request)) return true;
    }
    m_awaitingReply = false;
    return false;
}

void SntpClient::Abandon() {
    m_awaitingReply = false;
    m_lookup.reset();
}

NtpPacketBytes SntpClient::BuildRequest() {
    // The random bits come before the reading: the system's source can take milliseconds
    // the first time (loading its provider), which would otherwise count as delay on the
    // way out and shift the offset by half of it.
    const std::uint32_t randomSeconds = m_platform.RandomBits();
    const std::uint32_t randomFraction = m_platform.RandomBits();
    m_sendTime = NtpNow();
    m_packet = NtpPacket{};
    m_packet.versionNumber = kRequestVersion;
    m_packet.mode = kModeClient;
    m_packet.transmitTimestamp = m_sendTime;
    NtpPacketBytes request = EncodePacket(m_packet);
    PutU32BE(std::span(request).subspan<kSecondsOffset, 4>(), randomSeconds);
    PutU32BE(std::span(request).subspan<kFractionOffset, 4>(), randomFraction);
    std::copy_n(request.begin() + kTransmitTimestampOffset, kNtpTimestampBytes, m_expected.requestTransmit.begin());
    return request;
}

void SntpClient::OnReceive(int /*errorCode*/) {
    if (!m_awaitingReply || !m_socket) return;
    // The datagram has arrived before the notification came; a reading taken before the
    // receive call is the nearest to its arrival that can be had.
    const double arrival = NtpNow();
    const std::optional<Datagram> datagram = m_socket->ReceiveFrom(kReceiveBufferBytes);
    if (!datagram) {
        m_socket.reset();
        return;
    }
    const ReplyVerdict verdict = ValidateReply(*datagram, m_expected);
    if (verdict != ReplyVerdict::Accepted) {
        m_lastRefusal = verdict;
        return;
    }
    TakeReply(*datagram, arrival);
}

void SntpClient::TakeReply(const Datagram& reply, double arrival) {
    m_awaitingReply = false;
    m_tooSlow = false;
    const double t4 = arrival;
    m_packet = DecodePacket(std::span(reply.bytes).first<kNtpPacketBytes>(), t4);
    m_socket.reset();
    const double t1 = m_sendTime;
    const double t2 = m_packet.receiveTimestamp;
    const double t3 = m_packet.transmitTimestamp;
    m_offset = (((t3 + t2) - t1) - t4) * 0.5;
    m_delay = (t4 - t1) - (t3 - t2);
    // Half of the round trip is the offset's possible error, and a reply held up for
    // seconds (by a congested path or by someone in the middle) could be anything.
    m_tooSlow = m_delay > kMaxRoundTripSeconds;
}

bool SntpClient::AdjustClock(DialogsRole& dialogs) {
    const ClockAdjustment adjustment = TryAdjustClock();
    if (adjustment.outcome == ClockAdjustment::Outcome::PrivilegeRefused) {
        dialogs.ShowMessageBox(PrivilegeFailureText(adjustment.privilege));
    }
    return adjustment.Set();
}

ClockAdjustment SntpClient::TryAdjustClock() {
    ClockAdjustment adjustment;
    if (m_tooSlow || !(m_sendTime > kNegligibleSeconds && std::fabs(m_offset) > kNegligibleSeconds &&
                       m_delay > kNegligibleSeconds)) {
        return adjustment;
    }
    adjustment.privilege = m_platform.EnablePrivilege(kSystemTimePrivilege);
    if (!adjustment.privilege.Succeeded()) {
        adjustment.outcome = ClockAdjustment::Outcome::PrivilegeRefused;
        return adjustment;
    }
    // Whole microseconds: now + offset split in floating point could put 0.4 s a hair below.
    m_lastStep = StepClockBy(m_platform, std::llround(m_offset * static_cast<double>(kMicrosPerSecond)));
    if (!m_lastStep.set) {
        adjustment.outcome = ClockAdjustment::Outcome::SystemRefused;
        return adjustment;
    }
    m_platform.Trace(kTraceStepCall + std::to_string(m_lastStep.callMicros) + " us");
    adjustment.outcome = ClockAdjustment::Outcome::Set;
    return adjustment;
}

double SntpClient::NtpNow() { return NtpSecondsFromUnixMicros(m_platform.NowMicroseconds()); }

} // namespace hv
