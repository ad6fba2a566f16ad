#pragma once
#include "framework/ProcessRole.h"

#include <functional>
#include <optional>
#include <string>

namespace hv {

// Switches the computer off: enables the shutdown privilege in the program's own token, runs
// `beforeRequest` (the session may end the moment the request is made, so whatever must
// survive is written there) and asks the system to power off. Returns the message for the
// user when the privilege cannot be had; the system's refusal of the request itself is
// silent, as the computer then simply stays on.
std::optional<std::string> PowerOffComputer(ProcessRole& process, const std::function<void()>& beforeRequest);

} // namespace hv
