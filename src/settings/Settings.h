#pragma once
#include "shutdown/ShutdownSchedule.h"

#include <cstdint>
#include <string>

namespace hv {

// The automatic period: half an hour plus a quarter hour per step, (step + 2) quarter hours,
// for the steps the preferences offer.
constexpr std::int32_t kFirstAutoSyncStep = 0;
constexpr std::int32_t kLastAutoSyncStep = 100;
constexpr std::int64_t kAutoSyncStepMinutes = 15;
constexpr std::int64_t kAutoSyncStepsBefore = 2; // the quarter hours before the first step

constexpr std::int64_t AutoSyncMinutes(std::int32_t step) {
    return (step + kAutoSyncStepsBefore) * kAutoSyncStepMinutes;
}

// The step of a period in minutes, rounded down to a quarter hour and kept to the offered steps.
constexpr std::int32_t AutoSyncStepOfMinutes(std::uint32_t minutes) {
    const std::int64_t step = minutes / kAutoSyncStepMinutes - kAutoSyncStepsBefore;
    return static_cast<std::int32_t>(step < kFirstAutoSyncStep  ? kFirstAutoSyncStep
                                     : step > kLastAutoSyncStep ? kLastAutoSyncStep
                                                                : step);
}

// Everything the settings file holds, as the main window keeps it.
struct Settings {
    bool autoSync = true;
    std::int32_t autoSyncStep = 3; // see AutoSyncMinutes; negative: no automatic runs
    std::string serverList;        // the encoded server list with its default index
    std::int32_t bellEnabled = 0;
    std::string bellFile;
    bool barVisible = false; // the date-time bar was started and not told to quit
    bool alwaysShowBar = true;
    bool chimeHourly = true; // chime at the full hour only, else at the half hour too
    ShutdownSchedule shutdown;

    bool operator==(const Settings&) const = default;
};

} // namespace hv
