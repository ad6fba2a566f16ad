#pragma once
#include "framework/IpAddress.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace hv {

// The name from before IPv6; the type holds either family now.
using Ipv4Endpoint = IpEndpoint;

struct Datagram {
    std::vector<std::uint8_t> bytes;
    IpEndpoint from;
};

// Told, on the user-interface thread, that a datagram can be read.
class UdpSocketEvents {
public:
    virtual void OnReceive(int errorCode) = 0;

protected:
    ~UdpSocketEvents() = default;
};

// An asynchronous UDP socket bound to any local port, for either address family: the
// first send to an IPv6 address opens that family's side. Destroying it closes it.
class UdpSocket {
public:
    virtual ~UdpSocket() = default;
    virtual bool SendTo(const IpEndpoint& to, std::span<const std::uint8_t> bytes) = 0;
    // Reads one pending datagram, at most maxBytes of it; nothing when the read fails.
    virtual std::optional<Datagram> ReceiveFrom(std::size_t maxBytes) = 0;
};

} // namespace hv
