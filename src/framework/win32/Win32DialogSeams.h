#pragma once
#include "app/DialogSeams.h"

namespace hv {

// The modal windows of the Win32 build. Not built yet: every dialog closes at once as if
// cancelled, without showing anything.
class Win32DialogSeams final : public DialogSeams {
public:
    bool RunPreferences(PreferencesValues& values) override;
    void RunShutdownSchedule(ShutdownScheduleValues& values) override;
    void RunShutdownCountdown() override;
    bool IsLogViewVisible() override;
    void RunLogView(const std::string& logText) override;
    void RefreshLogView(const std::string& logText) override;
    void RunCalendar() override;
    void RunAbout() override;
};

} // namespace hv
