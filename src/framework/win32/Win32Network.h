#pragma once
#include "framework/NameResolver.h"
#include "framework/NetworkRole.h"
#include "framework/win32/Win32Api.h"

#include <memory>

namespace hv {

class SocketNotifier;
class Win32NameResolver;

// Winsock's names and UDP sockets, whose readiness arrives as window messages on the
// thread that made this object, and the system's random generator.
class Win32Network : public virtual NetworkRole, public virtual NameResolver {
public:
    explicit Win32Network(HINSTANCE instance);
    ~Win32Network() override;
    Win32Network(const Win32Network&) = delete;
    Win32Network& operator=(const Win32Network&) = delete;

    Held StartSocketLayer() override;
    std::vector<IpAddress> ResolveHost(std::string_view host) override;
    std::unique_ptr<PendingLookup> StartLookup(std::string_view host, LookupEvents& events) override;
    std::unique_ptr<UdpSocket> OpenUdpSocket(UdpSocketEvents& events) override;
    std::uint32_t RandomBits() override;

private:
    // Shared with every open socket, so a socket outliving the platform still closes cleanly.
    std::shared_ptr<SocketNotifier> m_socketNotifier;
    std::unique_ptr<Win32NameResolver> m_resolver;
};

} // namespace hv
