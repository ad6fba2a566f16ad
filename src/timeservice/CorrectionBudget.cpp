#include "timeservice/CorrectionBudget.h"

namespace hv {
namespace {
constexpr std::int64_t kMicrosPerSecond = 1'000'000;

std::int64_t Size(std::int64_t micros) { return micros < 0 ? -micros : micros; }
} // namespace

bool CorrectionBudget::Allows(std::int64_t nowMs, std::int64_t offsetMicros, std::uint32_t limitSeconds) const {
    return SpentMicros(nowMs) + Size(offsetMicros) <= static_cast<std::int64_t>(limitSeconds) * kMicrosPerSecond;
}

void CorrectionBudget::Record(std::int64_t nowMs, std::int64_t offsetMicros) {
    while (!m_made.empty() && nowMs - m_made.front().atMs >= kWindowMs) m_made.pop_front();
    m_made.push_back({nowMs, Size(offsetMicros)});
}

std::int64_t CorrectionBudget::SpentMicros(std::int64_t nowMs) const {
    std::int64_t spent = 0;
    for (const Made& made : m_made) {
        if (nowMs - made.atMs < kWindowMs) spent += made.sizeMicros;
    }
    return spent;
}

} // namespace hv
