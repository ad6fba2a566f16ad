#pragma once
#include "framework/NetworkRole.h"
#include "framework/win32/Win32Api.h"

#include <memory>

namespace hv {

class SocketNotifier;

// Winsock's names and UDP sockets, whose readiness arrives as window messages on the
// thread that made this object, and the system's random generator.
class Win32Network : public virtual NetworkRole {
public:
    explicit Win32Network(HINSTANCE instance);

    Held StartSocketLayer() override;
    std::optional<std::uint32_t> ResolveIpv4(std::string_view host) override;
    std::unique_ptr<UdpSocket> OpenUdpSocket(UdpSocketEvents& events) override;
    std::uint32_t RandomBits() override;

private:
    // Shared with every open socket, so a socket outliving the platform still closes cleanly.
    std::shared_ptr<SocketNotifier> m_socketNotifier;
};

} // namespace hv
