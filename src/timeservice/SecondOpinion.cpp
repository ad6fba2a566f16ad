#include "timeservice/SecondOpinion.h"

#include "framework/HeadlessPlatform.h"
#include "framework/TimeUnits.h"
#include "timeservice/LoopbackRule.h"

#include <cmath>
#include <vector>

namespace hv {
namespace {

std::int64_t Distance(std::int64_t a, std::int64_t b) { return a > b ? a - b : b - a; }
} // namespace

std::optional<IpAddress> ResolveForQuery(NetworkRole& network, const std::string& server, bool& loopbackRefused) {
    loopbackRefused = false;
    std::optional<IpAddress> address = ParseIpLiteral(server);
    if (!address) {
        const std::vector<IpAddress> found = network.ResolveHost(server);
        if (found.empty()) return std::nullopt;
        address = found.front();
    }
    if (!MayQuery(server, *address)) {
        loopbackRefused = true;
        return std::nullopt;
    }
    return address;
}

SecondOpinion::SecondOpinion(HeadlessPlatform& platform) : m_platform(platform), m_sntp(platform) {}

bool SecondOpinion::Needed(std::int64_t offsetMicros, std::uint32_t confirmAboveSeconds) {
    return Distance(offsetMicros, 0) > static_cast<std::int64_t>(confirmAboveSeconds) * kMicrosPerSecond;
}

bool SecondOpinion::Ask(const ApprovedServers& approved, const std::string& measured,
                        const IpAddress& measuredAddress) {
    m_sntp.Abandon();
    m_sntp.ClearResult();
    m_server.clear();
    for (const std::string& name : approved.Names()) {
        if (name == measured) continue;
        bool loopback = false;
        const auto address = ResolveForQuery(m_platform, name, loopback);
        if (!address || *address == measuredAddress) continue;
        m_sntp.SetServerAddress(FormatIpAddress(*address));
        if (!m_sntp.Create() || !m_sntp.SendRequest()) continue;
        m_server = name;
        return true;
    }
    return false;
}

bool SecondOpinion::Agrees(std::int64_t offsetMicros) const {
    if (m_server.empty() || m_sntp.AwaitingReply() || m_sntp.TooSlow()) return false;
    const auto second =
        static_cast<std::int64_t>(std::llround(m_sntp.Offset() * static_cast<double>(kMicrosPerSecond)));
    return Distance(second, offsetMicros) <= kAgreementMicros;
}

} // namespace hv
