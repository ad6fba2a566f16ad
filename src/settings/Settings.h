#pragma once
#include "shutdown/ShutdownSchedule.h"

#include <cstdint>
#include <string>

namespace hv {

// Everything the settings file holds, as the main window keeps it.
struct Settings {
    bool autoSync = true;
    std::int32_t autoSyncStep = 3;  // period (step + 2) x 15 minutes; negative: no automatic runs
    std::string serverList;         // the encoded server list with its default index
    std::int32_t bellEnabled = 0;
    std::string bellFile;
    bool barVisible = false;  // the date-time bar was started and not told to quit
    bool alwaysShowBar = true;
    bool chimeHourly = true;  // chime at the full hour only, else at the half hour too
    ShutdownSchedule shutdown;

    bool operator==(const Settings&) const = default;
};

} // namespace hv
