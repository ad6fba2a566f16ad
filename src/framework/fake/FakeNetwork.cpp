#include "framework/fake/FakeNetwork.h"

#include "framework/fake/FlagHold.h"

#include <charconv>

namespace hv {

class FakeNetwork::FakeSocket : public UdpSocket {
public:
    FakeSocket(FakeNetwork& owner, int id) : m_owner(owner), m_id(id) {}
    ~FakeSocket() override { m_owner.m_sockets.erase(m_id); }
    FakeSocket(const FakeSocket&) = delete;
    FakeSocket& operator=(const FakeSocket&) = delete;

    bool SendTo(const Ipv4Endpoint& to, std::span<const std::uint8_t> bytes) override {
        if (m_owner.failSends) return false;
        m_owner.sent.push_back({m_id, to, {bytes.begin(), bytes.end()}});
        return true;
    }

    std::optional<Datagram> ReceiveFrom(std::size_t maxBytes) override {
        auto& inbox = m_owner.m_sockets.at(m_id).inbox;
        if (m_owner.failReceive || inbox.empty()) return std::nullopt;
        Datagram d = std::move(inbox.front());
        inbox.erase(inbox.begin());
        if (d.bytes.size() > maxBytes) d.bytes.resize(maxBytes);
        return d;
    }

private:
    FakeNetwork& m_owner;
    int m_id;
};

bool FakeNetwork::Deliver(const Datagram& datagram, int socketId) {
    if (socketId < 0) socketId = NewestSocketId();
    auto it = m_sockets.find(socketId);
    if (it == m_sockets.end()) return false;
    it->second.inbox.push_back(datagram);
    it->second.events->OnReceive(0);
    return true;
}

int FakeNetwork::NewestSocketId() const { return m_sockets.empty() ? -1 : m_sockets.rbegin()->first; }

Held FakeNetwork::StartSocketLayer() {
    if (!socketLayerAvailable) return nullptr;
    return std::make_unique<FlagHold>(socketLayerStarted);
}

std::optional<std::uint32_t> FakeNetwork::ResolveIpv4(std::string_view host) {
    std::uint32_t address = 0;
    int parts = 0;
    const char* p = host.data();
    const char* end = host.data() + host.size();
    while (p < end && parts < 4) {
        unsigned octet = 0;
        auto [next, ec] = std::from_chars(p, end, octet);
        if (ec != std::errc{} || octet > 255) break;
        address = (address << 8) | octet;
        ++parts;
        p = next;
        if (p == end || *p != '.') break;
        ++p;
    }
    if (parts == 4 && p == end) return address;
    auto it = hosts.find(std::string(host));
    if (it == hosts.end()) return std::nullopt;
    return it->second;
}

std::unique_ptr<UdpSocket> FakeNetwork::OpenUdpSocket(UdpSocketEvents& events) {
    if (failSocketOpen) return nullptr;
    const int id = m_nextSocketId++;
    m_sockets[id] = SocketSlot{&events, {}};
    return std::make_unique<FakeSocket>(*this, id);
}

std::uint32_t FakeNetwork::RandomBits() {
    // xorshift32: reproducible from run to run.
    m_randomState ^= m_randomState << 13;
    m_randomState ^= m_randomState >> 17;
    m_randomState ^= m_randomState << 5;
    return m_randomState;
}

} // namespace hv
