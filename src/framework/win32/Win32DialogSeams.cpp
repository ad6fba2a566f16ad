#include "framework/win32/Win32DialogSeams.h"

namespace hv {

bool Win32DialogSeams::RunPreferences(PreferencesValues&) { return false; }

void Win32DialogSeams::RunShutdownSchedule(ShutdownScheduleValues&) {}

void Win32DialogSeams::RunShutdownCountdown() {}

bool Win32DialogSeams::IsLogViewVisible() { return false; }

void Win32DialogSeams::RunLogView(const std::string&) {}

void Win32DialogSeams::RefreshLogView(const std::string&) {}

void Win32DialogSeams::RunCalendar() {}

void Win32DialogSeams::RunAbout() {}

} // namespace hv
