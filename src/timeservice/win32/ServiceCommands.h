#pragma once
#include <string>
#include <vector>

namespace hv {

// HorvaneTime.exe's subcommands, for administrators: install, uninstall, status,
// approve ADDRESS, revoke ADDRESS, limit SECONDS. Each prints what it did or why it could
// not, and returns the process's exit code.
constexpr int kCommandOk = 0;
constexpr int kCommandFailed = 1; // the system or the service manager refused
constexpr int kCommandUsage = 2;
constexpr int kCommandNotElevated = 3;

int RunServiceCommand(const std::vector<std::string>& args);

} // namespace hv
