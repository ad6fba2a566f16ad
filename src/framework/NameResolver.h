#pragma once
#include "framework/IpAddress.h"

#include <memory>
#include <string_view>
#include <vector>

namespace hv {

// Told, on the user-interface thread, how a look-up ended: the addresses in the order the
// system gave them (IPv4 and IPv6 alike), none when the name is unknown or the look-up failed.
class LookupEvents {
public:
    virtual void OnLookupDone(const std::vector<IpAddress>& addresses) = 0;

protected:
    ~LookupEvents() = default;
};

// A look-up in flight. Letting it go abandons it: its answer is never delivered, however
// late it comes.
class PendingLookup {
public:
    virtual ~PendingLookup() = default;
};

// Host names looked up without blocking the user-interface thread, which a resolver that
// does not answer (a captive network, a dead VPN) would otherwise hold for its whole
// time-out. The answer arrives as a message on that thread, never from another one.
class NameResolver {
public:
    virtual ~NameResolver() = default;
    // Nothing when the look-up cannot even be started.
    virtual std::unique_ptr<PendingLookup> StartLookup(std::string_view host, LookupEvents& events) = 0;
};

} // namespace hv
