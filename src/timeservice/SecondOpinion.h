#pragma once
#include "framework/IpAddress.h"
#include "sync/SntpClient.h"
#include "timeservice/ApprovedServers.h"

#include <cstdint>
#include <optional>
#include <string>

namespace hv {

class HeadlessPlatform;
class NetworkRole;

// A large step is made only when another approved server, asked by the service itself,
// measures the same offset: a single wrongly approved, hijacked or spoofed source then
// moves the clock by small steps at most, never by hours at once.
class SecondOpinion {
public:
    static constexpr std::int64_t kAgreementMicros = 1'000'000;

    explicit SecondOpinion(HeadlessPlatform& platform);

    // Whether a step of this size needs a second server's agreement.
    static bool Needed(std::int64_t offsetMicros, std::uint32_t confirmAboveSeconds);

    // Asks the first approved server that is neither the measured one nor at its address.
    // False when there is none to ask.
    bool Ask(const ApprovedServers& approved, const std::string& measured, const IpAddress& measuredAddress);
    bool Awaiting() const { return m_sntp.AwaitingReply(); }
    void Abandon() { m_sntp.Abandon(); }
    // Once it is no longer awaited: whether its reply came in time and agrees.
    bool Agrees(std::int64_t offsetMicros) const;
    const std::string& Server() const { return m_server; }

private:
    HeadlessPlatform& m_platform;
    SntpClient m_sntp;
    std::string m_server;
};

// The address the service queries for an approved name: resolved once, here, so that the
// rule for loopback addresses (MayQuery) judges the very address the request goes to.
std::optional<IpAddress> ResolveForQuery(NetworkRole& network, const std::string& server, bool& loopbackRefused);

} // namespace hv
