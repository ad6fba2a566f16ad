#include "framework/fake/FakeNetwork.h"

#include "framework/fake/FlagHold.h"

namespace hv {

class FakeNetwork::FakeSocket : public UdpSocket {
public:
    FakeSocket(FakeNetwork& owner, int id) : m_owner(owner), m_id(id) {}
    ~FakeSocket() override { m_owner.m_sockets.erase(m_id); }
    FakeSocket(const FakeSocket&) = delete;
    FakeSocket& operator=(const FakeSocket&) = delete;

    bool SendTo(const IpEndpoint& to, std::span<const std::uint8_t> bytes) override {
        if (m_owner.failSends || (m_owner.failIpv6Sends && to.address.IsIpv6())) return false;
        m_owner.sent.push_back({m_id, to, {bytes.begin(), bytes.end()}, m_owner.m_clock.PeekMicroseconds()});
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

class FakeNetwork::FakeLookup : public PendingLookup {
public:
    FakeLookup(FakeNetwork& owner, int id) : m_owner(owner), m_id(id) {}
    ~FakeLookup() override { m_owner.m_lookups.erase(m_id); }
    FakeLookup(const FakeLookup&) = delete;
    FakeLookup& operator=(const FakeLookup&) = delete;

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

std::vector<IpAddress> FakeNetwork::ResolveHost(std::string_view host) {
    m_clock.Pass(lookupDelayMs * 1000); // a blocking look-up holds its caller as long
    return AddressesOf(host);
}

std::vector<IpAddress> FakeNetwork::AddressesOf(std::string_view host) const {
    if (const auto literal = ParseIpLiteral(host)) return {*literal};
    const auto it = hosts.find(std::string(host));
    return it == hosts.end() ? std::vector<IpAddress>{} : it->second;
}

std::unique_ptr<PendingLookup> FakeNetwork::StartLookup(std::string_view host, LookupEvents& events) {
    lookupsStarted.emplace_back(host);
    const int id = m_nextLookupId++;
    std::optional<std::int64_t> due;
    if (!lookupsNeverAnswer) due = m_clock.ElapsedMicros() + lookupDelayMs * 1000;
    m_lookups[id] = LookupSlot{&events, std::string(host), due};
    return std::make_unique<FakeLookup>(*this, id);
}

std::optional<std::pair<std::int64_t, int>> FakeNetwork::NextLookupDue(std::int64_t limit) const {
    std::optional<std::pair<std::int64_t, int>> next;
    for (const auto& [id, lookup] : m_lookups) {
        const auto due = lookup.dueElapsedMicros;
        if (due && *due <= limit && (!next || *due < next->first)) next = std::pair{*due, id};
    }
    return next;
}

void FakeNetwork::AnswerLookup(int id) {
    const LookupSlot lookup = m_lookups.at(id);
    m_lookups.erase(id);
    lookup.events->OnLookupDone(AddressesOf(lookup.host));
}

std::unique_ptr<UdpSocket> FakeNetwork::OpenUdpSocket(UdpSocketEvents& events) {
    if (failSocketOpen) return nullptr;
    const int id = m_nextSocketId++;
    m_sockets[id] = SocketSlot{&events, {}};
    return std::make_unique<FakeSocket>(*this, id);
}

std::uint32_t FakeNetwork::RandomBits() {
    m_clock.Pass(randomBitsMicros);
    // xorshift32: reproducible from run to run.
    m_randomState ^= m_randomState << 13;
    m_randomState ^= m_randomState >> 17;
    m_randomState ^= m_randomState << 5;
    return m_randomState;
}

} // namespace hv
