#include "shutdown/ShutdownSchedule.h"

namespace hv {

namespace {

LocalSeconds SecondOfDay(LocalSeconds t) {
    const LocalSeconds s = t % kSecondsPerDay;
    return s < 0 ? s + kSecondsPerDay : s;
}

std::int32_t Pack(std::int16_t hour, std::int16_t minute, std::int16_t second) {
    const auto field = [](std::int16_t v) { return static_cast<std::uint32_t>(static_cast<std::uint16_t>(v)); };
    return static_cast<std::int32_t>((field(hour) << 16) | (field(minute) << 8) | field(second));
}

} // namespace

bool ShutdownSchedule::IsArmed() const { return !disarmed && (kind == kShutdownAfterDelay || kind == kShutdownAtTime); }

std::int32_t ShutdownSchedule::PackedTime() const {
    switch (kind) {
    case kShutdownAfterDelay: return Pack(afterHour, afterMinute, afterSecond);
    case kShutdownAtTime: return Pack(atHour, atMinute, atSecond);
    default: return 0;
    }
}

void ShutdownSchedule::ArmAtStartup(std::int32_t packedTime) {
    const auto bits = static_cast<std::uint32_t>(packedTime);
    atHour = static_cast<std::int16_t>((bits >> 16) & 0xFF);
    atMinute = static_cast<std::int16_t>((bits >> 8) & 0xFF);
    atSecond = static_cast<std::int16_t>(bits & 0xFF);
    afterHour = afterMinute = afterSecond = 0;
    disarmed = true;
    if (!atStartup) return;
    if (kind == kShutdownAfterDelay) {
        disarmed = false;
        secondsLeft = kRestoredDelaySeconds;
    } else if (kind == kShutdownAtTime) {
        disarmed = false;
    }
}

std::int32_t ShutdownSchedule::SecondsToAtTimeToday(LocalSeconds now) const {
    const LocalSeconds target = (atHour * 60 + atMinute) * 60 + atSecond;
    return static_cast<std::int32_t>(target - SecondOfDay(now));
}

std::int32_t ShutdownSchedule::SecondsToNextAtTime(LocalSeconds now) const {
    const std::int32_t untilTarget = SecondsToAtTimeToday(now);
    return untilTarget < 0 ? untilTarget + kSecondsPerDay : untilTarget;
}

bool ShutdownSchedule::CountDownOnTick(const TickSpan& tick) {
    if (!IsArmed()) return false;
    if (kind == kShutdownAtTime) {
        const std::int32_t untilNext = SecondsToNextAtTime(tick.now);
        // How long ago the clock last showed the set time, modulo a day, so that a target
        // late in the evening is still "just passed" on a tick after midnight.
        const LocalSeconds passedAgo = untilNext == 0 ? 0 : kSecondsPerDay - untilNext;
        // A tick can come late; the set second counts as reached when it passed between
        // the previous tick and this one, not too long ago.
        const bool passedUnseen =
            passedAgo > 0 && passedAgo <= kLateTickGraceSeconds && tick.ReachedOnThisTick(passedAgo);
        secondsLeft = passedUnseen ? 0 : untilNext;
    }
    if (secondsLeft > 0) {
        --secondsLeft;
        return false;
    }
    disarmed = true;
    return true;
}

} // namespace hv
