#pragma once

namespace hv {

// Runs HorvaneTime.exe as the time service when the service control manager started it:
// returns once the service has stopped. False at once when the process was started any
// other way (from a console, with no subcommand).
bool RunAsTimeService();

} // namespace hv
