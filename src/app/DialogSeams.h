#pragma once
#include <cstdint>
#include <string>

namespace hv {

// The main window's copies that the preferences dialog edits; taken back only on OK.
struct PreferencesValues {
    int bellEnabled = 0;
    bool alwaysShowBar = false;
    bool autoSync = false;
    int autoSyncStep = 0;
    std::string bellFile;
    bool chimeHourly = true;
    std::string serverList;
};

// The shutdown schedule as the schedule dialog edits it; always taken back.
struct ShutdownScheduleValues {
    std::int16_t kind = 0;
    std::int16_t afterHour = 0, afterMinute = 0, afterSecond = 0;
    std::int16_t atHour = 0, atMinute = 0, atSecond = 0;
    bool atStartup = false;
    std::int32_t secondsLeft = 0;
    bool disarmed = true;
};

// The modal windows the main window opens. Each runs a nested message loop, so the main
// window's timers and copy-data keep arriving while it is open.
class DialogSeams {
public:
    virtual ~DialogSeams() = default;
    // True when closed with OK.
    virtual bool RunPreferences(PreferencesValues& values) = 0;
    virtual void RunShutdownSchedule(ShutdownScheduleValues& values) = 0;
    virtual void RunShutdownCountdown() = 0;
    virtual bool IsLogViewVisible() = 0;
    virtual void RunLogView(const std::string& logText) = 0;
    // Reloads an open log view's list from the given text.
    virtual void RefreshLogView(const std::string& logText) = 0;
    virtual void RunCalendar() = 0;
    virtual void RunAbout() = 0;
};

} // namespace hv
