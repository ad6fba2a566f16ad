#pragma once
#include "framework/NameResolver.h"
#include "framework/NetworkRole.h"
#include "framework/fake/FakeClock.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace hv {

// Names from a table, sockets whose datagrams a test reads and delivers, and reproducible
// randomness.
class FakeNetwork : public virtual NetworkRole, public virtual NameResolver {
public:
    explicit FakeNetwork(FakeClock& clock) : m_clock(clock) {}

    struct SentDatagram {
        int socketId;
        IpEndpoint to;
        std::vector<std::uint8_t> bytes;
        std::int64_t sentAtMicros = 0; // the system clock when it left, where a clock is known
    };

    bool socketLayerAvailable = true;
    bool socketLayerStarted = false;
    // Host names and their addresses, in the order the resolver gives them.
    std::map<std::string, std::vector<IpAddress>> hosts;
    // Looking a name up takes this long on the virtual clock (a blocking look-up holds its
    // caller as long), or a look-up in the background never ends.
    std::int64_t lookupDelayMs = 0;
    bool lookupsNeverAnswer = false;
    // Drawing random bits takes this long on the virtual clock (a system's source may load
    // its provider the first time).
    std::int64_t randomBitsMicros = 0;
    std::vector<std::string> lookupsStarted;
    bool failSocketOpen = false;
    bool failSends = false;
    bool failIpv6Sends = false; // no route for IPv6
    bool failReceive = false;
    std::vector<SentDatagram> sent;

    // Hands a datagram to an open socket (the newest by default) and reports it readable.
    bool Deliver(const Datagram& datagram, int socketId = -1);
    int OpenSocketCount() const { return static_cast<int>(m_sockets.size()); }
    int NewestSocketId() const;
    // Look-ups started and neither answered nor abandoned.
    int PendingLookupCount() const { return static_cast<int>(m_lookups.size()); }
    // For the passing of time: the look-up that falls due first by `limit` (elapsed
    // microseconds), and its answer.
    std::optional<std::pair<std::int64_t, int>> NextLookupDue(std::int64_t limit) const;
    void AnswerLookup(int id);

    Held StartSocketLayer() override;
    std::vector<IpAddress> ResolveHost(std::string_view host) override;
    std::unique_ptr<PendingLookup> StartLookup(std::string_view host, LookupEvents& events) override;
    std::unique_ptr<UdpSocket> OpenUdpSocket(UdpSocketEvents& events) override;
    std::uint32_t RandomBits() override;

private:
    std::vector<IpAddress> AddressesOf(std::string_view host) const;
    class FakeSocket;
    class FakeLookup;
    friend class FakeSocket;
    friend class FakeLookup;
    struct LookupSlot {
        LookupEvents* events;
        std::string host;
        std::optional<std::int64_t> dueElapsedMicros; // nothing: never answered
    };
    struct SocketSlot {
        UdpSocketEvents* events;
        std::vector<Datagram> inbox;
    };

    FakeClock& m_clock;
    std::map<int, SocketSlot> m_sockets;
    std::map<int, LookupSlot> m_lookups;
    int m_nextLookupId = 1;
    int m_nextSocketId = 1;
    std::uint32_t m_randomState = 0x2545F491u;
};

} // namespace hv
