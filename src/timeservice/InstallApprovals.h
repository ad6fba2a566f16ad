#pragma once
#include "timeservice/ApprovedServers.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hv {

// What an install approves. The built-in servers on the first install only, so that an
// upgrade or repair keeps the administrator's list, revocations included. The servers of
// config.txt (which every user may write in an installed copy) only when the administrator
// asks for them.
struct InstallApprovals {
    ApprovedServers approved;
    std::vector<std::string> added; // in order, those not approved before
};

// `builtIn` and `configList` are server lists in their stored form; `configList` is
// nothing unless the administrator asked for it.
InstallApprovals PlanInstallApprovals(const ApprovedServers& current, bool firstInstall, std::string_view builtIn,
                                      std::optional<std::string_view> configList);

} // namespace hv
