#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace hv {

// An IPv4 address and port, both in host byte order.
struct Ipv4Endpoint {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    bool operator==(const Ipv4Endpoint&) const = default;
};

struct Datagram {
    std::vector<std::uint8_t> bytes;
    Ipv4Endpoint from;
};

// Told, on the user-interface thread, that a datagram can be read.
class UdpSocketEvents {
public:
    virtual void OnReceive(int errorCode) = 0;

protected:
    ~UdpSocketEvents() = default;
};

// An asynchronous UDP socket bound to any local port. Destroying it closes it.
class UdpSocket {
public:
    virtual ~UdpSocket() = default;
    virtual bool SendTo(const Ipv4Endpoint& to, std::span<const std::uint8_t> bytes) = 0;
    // Reads one pending datagram, at most maxBytes of it; nothing when the read fails.
    virtual std::optional<Datagram> ReceiveFrom(std::size_t maxBytes) = 0;
};

} // namespace hv
