#include "prefs/Chime.h"

#include "framework/ShellRole.h"

namespace hv {

namespace {
constexpr LocalSeconds kChimeGraceSeconds = 60;

LocalSeconds SlotStart(LocalSeconds t, LocalSeconds slotLength) {
    const LocalSeconds r = t % slotLength;
    return t - (r < 0 ? r + slotLength : r);
}
} // namespace

bool ChimeClock::IsDue(const TickSpan& tick, bool hourly) {
    const LocalSeconds ago = tick.now - SlotStart(tick.now, hourly ? kHourSeconds : kHalfHourSeconds);
    if (ago > kChimeGraceSeconds || !tick.ReachedOnThisTick(ago)) return false;
    // A showing of a slot is named by its moment on the system clock: when daylight saving
    // time ends the clock shows the same local hour twice, and each showing chimes.
    const std::int64_t showing = tick.utcNow - ago;
    if (m_lastShowing == showing) return false;
    m_lastShowing = showing;
    return true;
}

bool PlayChime(ShellRole& shell, std::string_view soundFile) { return shell.PlaySoundFile(soundFile); }

} // namespace hv
