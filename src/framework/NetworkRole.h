#pragma once
#include "framework/Releasable.h"
#include "framework/UdpSocket.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

namespace hv {

// Names, UDP sockets and the randomness that makes requests hard to forge.
class NetworkRole {
public:
    virtual ~NetworkRole() = default;

    // The socket layer, exactly version 1.1, for as long as the result lives; nothing when
    // it is missing.
    virtual Held StartSocketLayer() = 0;
    // A dotted IPv4 address is taken as it stands; a host name is resolved synchronously.
    virtual std::optional<std::uint32_t> ResolveIpv4(std::string_view host) = 0;
    virtual std::unique_ptr<UdpSocket> OpenUdpSocket(UdpSocketEvents& events) = 0;
    virtual std::uint32_t RandomBits() = 0;
};

} // namespace hv
