#include "prefs/Chime.h"

#include "framework/Platform.h"

namespace hv {

namespace {
constexpr LocalSeconds kChimeGraceSeconds = 60;

LocalSeconds SlotStart(LocalSeconds t, LocalSeconds slotLength) {
    const LocalSeconds r = t % slotLength;
    return t - (r < 0 ? r + slotLength : r);
}
} // namespace

bool ChimeClock::IsDue(const TickSpan& tick, bool hourly) {
    const LocalSeconds slot = SlotStart(tick.now, hourly ? kHourSeconds : kHalfHourSeconds);
    const bool reachedOnThisTick = slot > tick.previous && slot <= tick.now;
    const bool lateByLittle = tick.now - slot <= kChimeGraceSeconds;
    if (!reachedOnThisTick || !lateByLittle || m_lastSlot == slot) return false;
    m_lastSlot = slot;
    return true;
}

bool PlayChime(Platform& platform, std::string_view soundFile) { return platform.PlaySoundFile(soundFile); }

} // namespace hv
