#pragma once
#include "framework/NetworkRole.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace hv {

// Names from a table, sockets whose datagrams a test reads and delivers, and reproducible
// randomness.
class FakeNetwork : public virtual NetworkRole {
public:
    struct SentDatagram {
        int socketId;
        Ipv4Endpoint to;
        std::vector<std::uint8_t> bytes;
    };

    bool socketLayerAvailable = true;
    bool socketLayerStarted = false;
    std::map<std::string, std::uint32_t> hosts;
    bool failSocketOpen = false;
    bool failSends = false;
    bool failReceive = false;
    std::vector<SentDatagram> sent;

    // Hands a datagram to an open socket (the newest by default) and reports it readable.
    bool Deliver(const Datagram& datagram, int socketId = -1);
    int OpenSocketCount() const { return static_cast<int>(m_sockets.size()); }
    int NewestSocketId() const;

    Held StartSocketLayer() override;
    std::optional<std::uint32_t> ResolveIpv4(std::string_view host) override;
    std::unique_ptr<UdpSocket> OpenUdpSocket(UdpSocketEvents& events) override;
    std::uint32_t RandomBits() override;

private:
    class FakeSocket;
    friend class FakeSocket;
    struct SocketSlot {
        UdpSocketEvents* events;
        std::vector<Datagram> inbox;
    };

    std::map<int, SocketSlot> m_sockets;
    int m_nextSocketId = 1;
    std::uint32_t m_randomState = 0x2545F491u;
};

} // namespace hv
