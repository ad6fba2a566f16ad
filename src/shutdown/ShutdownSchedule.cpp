#include "shutdown/ShutdownSchedule.h"

namespace hv {

namespace {

LocalSeconds SecondOfDay(LocalSeconds t) {
    const LocalSeconds s = t % kSecondsPerDay;
    return s < 0 ? s + kSecondsPerDay : s;
}

} // namespace

bool ShutdownSchedule::IsArmed() const {
    return !m_shutdownDisarmed && (m_shutdownKind == kShutdownAfterDelay || m_shutdownKind == kShutdownAtTime);
}

std::int32_t ShutdownSchedule::PackedTime() const {
    auto pack = [](std::int16_t h, std::int16_t m, std::int16_t s) {
        return static_cast<std::int32_t>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(h)) << 16) |
                                         (static_cast<std::uint32_t>(static_cast<std::uint16_t>(m)) << 8) |
                                         static_cast<std::uint32_t>(static_cast<std::uint16_t>(s)));
    };
    switch (m_shutdownKind) {
    case kShutdownAfterDelay: return pack(m_afterHour, m_afterMinute, m_afterSecond);
    case kShutdownAtTime: return pack(m_atHour, m_atMinute, m_atSecond);
    default: return 0;
    }
}

void ShutdownSchedule::ArmAtStartup(std::int32_t packedTime) {
    const auto bits = static_cast<std::uint32_t>(packedTime);
    m_atHour = static_cast<std::int16_t>((bits >> 16) & 0xFF);
    m_atMinute = static_cast<std::int16_t>((bits >> 8) & 0xFF);
    m_atSecond = static_cast<std::int16_t>(bits & 0xFF);
    m_afterHour = m_afterMinute = m_afterSecond = 0;
    m_shutdownDisarmed = true;
    if (!m_shutdownAtStartup) return;
    if (m_shutdownKind == kShutdownAfterDelay) {
        m_shutdownDisarmed = false;
        m_secondsLeft = kRestoredDelaySeconds;
    } else if (m_shutdownKind == kShutdownAtTime) {
        m_shutdownDisarmed = false;
    }
}

bool ShutdownSchedule::CountDownOnTick(const TickSpan& tick) {
    if (!IsArmed()) return false;
    if (m_shutdownKind == kShutdownAtTime) {
        const LocalSeconds target = (m_atHour * 60 + m_atMinute) * 60 + m_atSecond;
        const auto untilTarget = static_cast<std::int32_t>(target - SecondOfDay(tick.now));
        // A tick can come late; the set second counts as reached when it passed between the
        // previous tick and this one, not too long ago.
        const bool passedUnseen = untilTarget < 0 && untilTarget >= -kLateTickGraceSeconds &&
                                  tick.now + untilTarget > tick.previous;
        m_secondsLeft = passedUnseen ? 0 : (untilTarget < 0 ? untilTarget + kSecondsPerDay : untilTarget);
    }
    if (m_secondsLeft > 0) {
        --m_secondsLeft;
        return false;
    }
    m_shutdownDisarmed = true;
    return true;
}

} // namespace hv
