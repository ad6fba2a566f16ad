#include "common/ClockText.h"
#include "framework/TimeUnits.h"

#include <array>

namespace hv {
namespace {

constexpr const char* kTimeFormat = "%H:%M:%S";
constexpr const char* kDateFormat = "%m/%d/%Y";
constexpr std::array<const char*, 7> kWeekdays{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
// Timers fire a little early or late; aiming this far past the second never shows the old one.
constexpr std::int64_t kPastTheSecondMs = 20;

} // namespace

std::string TimeText(const CivilTime& time) { return FormatCivilTime(kTimeFormat, time); }

std::string DateText(const CivilTime& time) {
    const auto weekday = static_cast<std::size_t>(time.weekday) % kWeekdays.size();
    return std::string(kWeekdays[weekday]) + " " + FormatCivilTime(kDateFormat, time);
}

unsigned MillisecondsToNextSecond(std::int64_t unixMicros) {
    const std::int64_t intoSecond = SplitUnixMicros(unixMicros).micros / kMicrosPerMilli;
    return static_cast<unsigned>(kMillisPerSecond - intoSecond + kPastTheSecondMs);
}

} // namespace hv
