#pragma once
#include "framework/LocalTime.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace hv {

class ShellRole;

constexpr LocalSeconds kHourSeconds = 3600;
constexpr LocalSeconds kHalfHourSeconds = 1800;

// Decides, tick by tick, when the chime is due: on the first tick at or after a full (or
// half) hour the local clock shows, at most a minute late, once per showing. Timers drift
// and a busy moment can skip a second, so looking for second 0 alone would lose chimes.
class ChimeClock {
public:
    bool IsDue(const TickSpan& tick, bool hourly);

private:
    std::optional<std::int64_t> m_lastShowing;
};

// Plays the file asynchronously without cutting off a chime that is still sounding.
bool PlayChime(ShellRole& shell, std::string_view soundFile);

} // namespace hv
