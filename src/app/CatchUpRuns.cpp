#include "app/CatchUpRuns.h"

namespace hv {

bool CatchUpRuns::Request(Reason reason, std::int64_t nowMicros) {
    if (m_requested || RanRecently(nowMicros)) return false;
    m_requested = reason;
    return true;
}

bool CatchUpRuns::NetworkReported(bool connected) {
    const bool cameBack = connected && m_networkUp == false;
    m_networkUp = connected;
    return cameBack;
}

std::optional<CatchUpRuns::Reason> CatchUpRuns::Take(std::int64_t nowMicros) {
    std::optional<Reason> reason;
    reason.swap(m_requested);
    if (!reason || RanRecently(nowMicros)) return std::nullopt;
    m_lastRunMicros = nowMicros;
    return reason;
}

bool CatchUpRuns::RanRecently(std::int64_t nowMicros) const {
    // A clock set back past the last run counts that run as long ago.
    return m_lastRunMicros && nowMicros >= *m_lastRunMicros && nowMicros - *m_lastRunMicros < kCatchUpSpacingMicros;
}

} // namespace hv
