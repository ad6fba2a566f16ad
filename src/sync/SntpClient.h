#pragma once
#include "framework/Platform.h"
#include "framework/UdpSocket.h"
#include "sync/NtpPacket.h"
#include "sync/ReplyValidation.h"

#include <memory>
#include <string>
#include <string_view>

namespace hv {

// One SNTP exchange: a 48-byte request to port 123 of one server, its reply read when the
// socket reports it, and the delay and offset of the local clock computed from the four
// timestamps. Owners open the socket, set m_serverAddress, send, and poll m_awaitingReply;
// to give up they clear m_awaitingReply. Everything runs on the user-interface thread.
//
// Only a datagram that passes ValidateReply is taken as the reply. Anything else is read
// and dropped and the request stays outstanding, so a forged or broken answer ends like
// no answer at all: at the owner's time-out.
class SntpClient final : public UdpSocketEvents {
public:
    explicit SntpClient(Platform& platform);
    ~SntpClient();
    SntpClient(const SntpClient&) = delete;
    SntpClient& operator=(const SntpClient&) = delete;

    // Opens the socket. When no request is outstanding, a socket left from an earlier,
    // given-up request is closed first: its late reply can then never be read, and at no
    // time does one client hold more than one socket. While a request is outstanding and
    // its socket is open, that socket is kept, so that opening again (as a periodic
    // caller does before it checks m_awaitingReply) does not cut off the reply it awaits.
    bool Create();

    // Sends one request to m_serverAddress (dotted IPv4 or host name, resolved here,
    // synchronously). True means a request is outstanding and m_awaitingReply is set;
    // m_sendTime is then the local clock read just before the send (the bits below the
    // clock's resolution that the request carries are random, see BuildRequest).
    bool SendRequest();

    void OnReceive(int errorCode) override;

    // Sets the system clock to now + m_offset. False, silently, for a negligible offset or
    // an implausible result; a refused privilege is shown in a message box.
    bool AdjustClock();

    // Enables or disables one named privilege in the token; true exactly when the system
    // reports no error afterwards (so "not all assigned" is a failure).
    bool SetPrivilege(TokenHandle token, std::string_view name, bool enable);

    // The local clock in NTP seconds, at the clock's full resolution and without era wrap.
    double NtpNow();

    // Why the last datagram that arrived for the outstanding request was dropped;
    // Accepted when none was.
    ReplyVerdict LastRefusal() const { return m_lastRefusal; }

    bool m_awaitingReply = false;
    double m_delay = 0.0;
    double m_offset = 0.0;
    std::string m_serverAddress;
    double m_sendTime = 0.0;
    NtpPacket m_packet;

private:
    // Reads the clock into m_sendTime and builds the request carrying it.
    NtpPacketBytes BuildRequest();
    void TakeReply(const Datagram& reply, double arrival);

    Platform& m_platform;
    std::unique_ptr<UdpSocket> m_socket;
    ReplyExpectation m_expected;
    ReplyVerdict m_lastRefusal = ReplyVerdict::Accepted;
};

} // namespace hv
