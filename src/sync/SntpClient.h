#pragma once
#include "framework/DialogsRole.h"
#include "framework/HeadlessPlatform.h"
#include "framework/UdpSocket.h"
#include "sync/ClockStep.h"
#include "sync/NtpPacket.h"
#include "sync/ReplyValidation.h"

#include <memory>
#include <string>
#include <string_view>

namespace hv {

// The longest round trip whose measurement is used: beyond it the reply is taken (the
// exchange is over) but its time is refused, by every owner alike.
inline constexpr double kMaxRoundTripSeconds = 3.0;
// The activity log's entry for such a reply, after the server's address.
inline constexpr const char* kLogDelayTooLong = " replied too late: a round trip of more than 3 seconds is not trusted";

// How a clock change from the last result went.
struct ClockAdjustment {
    enum class Outcome { Negligible, PrivilegeRefused, SystemRefused, Set };
    Outcome outcome = Outcome::Negligible;
    PrivilegeOutcome privilege; // why the privilege was refused

    bool Set() const { return outcome == Outcome::Set; }
};

// How an SNTP client finds its server's address when it is a host name.
enum class NameLookup {
    Blocking,     // at the send, synchronously: for the time service and the console tool
    InBackground, // without blocking the thread: for everything a user waits on
};

// Told when a request that waited for its server's name has left, or could not leave.
class DeferredSendEvents {
public:
    virtual void OnDeferredSend(bool sent) = 0;

protected:
    ~DeferredSendEvents() = default;
};

// One SNTP exchange: a 48-byte request to port 123 of one server, its reply read when the
// socket reports it, and the delay and offset of the local clock computed from the four
// timestamps. Owners open the socket, set the server address, send, and poll
// AwaitingReply(); to give up they Abandon() the request. Everything runs on the
// user-interface thread.
//
// Only a datagram that passes ValidateReply is taken as the reply. Anything else is read
// and dropped and the request stays outstanding, so a forged or broken answer ends like
// no answer at all: at the owner's time-out.
class SntpClient final : public UdpSocketEvents, public LookupEvents {
public:
    explicit SntpClient(HeadlessPlatform& platform, NameLookup lookup = NameLookup::Blocking);
    ~SntpClient();
    SntpClient(const SntpClient&) = delete;
    SntpClient& operator=(const SntpClient&) = delete;

    // Opens the socket. When no request is outstanding, a socket left from an earlier,
    // given-up request is closed first: its late reply can then never be read, and at no
    // time does one client hold more than one socket. While a request is outstanding and
    // its socket is open, that socket is kept, so that opening again (as a periodic
    // caller does before it checks AwaitingReply) does not cut off the reply it awaits.
    bool Create();

    const std::string& ServerAddress() const { return m_serverAddress; }
    void SetServerAddress(std::string address) { m_serverAddress = std::move(address); }

    // Sends one request to the server address: a numeric address (IPv4 or IPv6) at once, a
    // host name once it is looked up, to the first of its addresses, in the system's order,
    // that takes the datagram. True means a request is outstanding or waits for its name
    // (LookingUp); its send time is the local clock read just before the send, kept here: the
    // request itself carries a random transmit timestamp (see BuildRequest).
    // A look-up in the background that ends without a send clears AwaitingReply and sets
    // SendFailed, and tells the DeferredSendEvents either way.
    bool SendRequest();
    void SetDeferredSendEvents(DeferredSendEvents* events) { m_deferredSendEvents = events; }

    // From a sent request (or one waiting for its name) until its reply has been read.
    bool AwaitingReply() const { return m_awaitingReply; }
    bool LookingUp() const { return m_lookup != nullptr; }
    // The last request could not leave after its look-up: unknown name or no address took it.
    bool SendFailed() const { return m_sendFailed; }
    // Gives the outstanding request up, and a look-up in flight with it; a reply that still
    // comes is not read.
    void Abandon();

    // The result of the last reply read, in seconds; the offset is positive when the local
    // clock is behind.
    double Delay() const { return m_delay; }
    double Offset() const { return m_offset; }
    double SendTime() const { return m_sendTime; }
    // The last reply read came after more than kMaxRoundTripSeconds: Delay() says how
    // long, Offset() is not to be used, and TryAdjustClock changes nothing.
    bool TooSlow() const { return m_tooSlow; }
    const NtpPacket& Packet() const { return m_packet; }
    void ClearResult() {
        m_delay = m_offset = 0.0;
        m_tooSlow = false;
    }
    // Takes the result an owner chose among several exchanges as the last one.
    void KeepResult(double delay, double offset) {
        m_delay = delay;
        m_offset = offset;
        m_tooSlow = delay > kMaxRoundTripSeconds;
    }

    void OnReceive(int errorCode) override;
    void OnLookupDone(const std::vector<IpAddress>& addresses) override;

    // Sets the system clock to now + offset. False, silently, for a negligible offset, a
    // reply that came too slowly or an implausible result; a refused privilege is shown in a message box.
    bool AdjustClock(DialogsRole& dialogs);
    // The same change, showing nothing: for a caller with no one to show a box to.
    ClockAdjustment TryAdjustClock();
    // How the last clock change went, for diagnostics.
    const ClockStep& LastStep() const { return m_lastStep; }

    // The local clock in NTP seconds, at the clock's full resolution and without era wrap.
    double NtpNow();

    // Why the last datagram that arrived for the outstanding request was dropped;
    // Accepted when none was.
    ReplyVerdict LastRefusal() const { return m_lastRefusal; }

private:
    // Reads the clock into m_sendTime and builds the request, with a random transmit
    // timestamp that the reply must echo.
    NtpPacketBytes BuildRequest();
    // Sends to the first address that takes the request; false (and nothing outstanding)
    // when none does.
    bool SendToFirstOf(const std::vector<IpAddress>& addresses);
    void TakeReply(const Datagram& reply, double arrival);

    HeadlessPlatform& m_platform;
    NameLookup m_nameLookup;
    std::unique_ptr<PendingLookup> m_lookup;
    DeferredSendEvents* m_deferredSendEvents = nullptr;
    bool m_sendFailed = false;
    bool m_awaitingReply = false;
    bool m_tooSlow = false;
    double m_delay = 0.0;
    double m_offset = 0.0;
    std::string m_serverAddress;
    double m_sendTime = 0.0;
    NtpPacket m_packet;
    std::unique_ptr<UdpSocket> m_socket;
    ReplyExpectation m_expected;
    ReplyVerdict m_lastRefusal = ReplyVerdict::Accepted;
    ClockStep m_lastStep;
};

} // namespace hv
