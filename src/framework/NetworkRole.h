#pragma once
#include "framework/Releasable.h"
#include "framework/UdpSocket.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace hv {

// Names, UDP sockets and the randomness that makes requests hard to forge.
class NetworkRole {
public:
    virtual ~NetworkRole() = default;

    // The socket layer, exactly version 1.1, for as long as the result lives; nothing when
    // it is missing.
    virtual Held StartSocketLayer() = 0;
    // A numeric address is taken as it stands; a host name is resolved synchronously, to
    // its addresses of both families in the order the system gives them. Only for callers
    // without a user to keep waiting (the time service, a console tool): the tray program
    // looks names up with NameResolver::StartLookup.
    virtual std::vector<IpAddress> ResolveHost(std::string_view host) = 0;
    virtual std::unique_ptr<UdpSocket> OpenUdpSocket(UdpSocketEvents& events) = 0;
    virtual std::uint32_t RandomBits() = 0;
};

} // namespace hv
