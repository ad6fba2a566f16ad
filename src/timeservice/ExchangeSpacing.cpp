#include "timeservice/ExchangeSpacing.h"
#include "framework/TimeUnits.h"

#include <algorithm>

namespace hv {
namespace {
constexpr std::int64_t kBurstToleranceMs = (ExchangeSpacing::kBurst - 1) * ExchangeSpacing::kIntervalMs;
} // namespace

bool ExchangeSpacing::TryStart(std::int64_t nowMs) {
    if (SecondsUntilNext(nowMs) != 0) return false;
    m_spentUntilMs = std::max(m_spentUntilMs.value_or(nowMs), nowMs) + kIntervalMs;
    return true;
}

std::uint32_t ExchangeSpacing::SecondsUntilNext(std::int64_t nowMs) const {
    if (!m_spentUntilMs) return 0;
    const std::int64_t waitMs = *m_spentUntilMs - kBurstToleranceMs - nowMs;
    if (waitMs <= 0) return 0;
    return static_cast<std::uint32_t>((waitMs + kMillisPerSecond - 1) / kMillisPerSecond);
}

} // namespace hv
