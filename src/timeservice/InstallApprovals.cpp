#include "timeservice/InstallApprovals.h"

#include "settings/ServerList.h"

namespace hv {
namespace {

void ApproveListed(InstallApprovals& plan, std::string_view list) {
    for (const auto& entry : ParseServerEntries(list)) {
        if (entry && !plan.approved.Contains(entry->address) && plan.approved.Add(entry->address)) {
            plan.added.push_back(*plan.approved.Names().rbegin());
        }
    }
}

} // namespace

InstallApprovals PlanInstallApprovals(const ApprovedServers& current, bool firstInstall, std::string_view builtIn,
                                      std::optional<std::string_view> configList) {
    InstallApprovals plan{current, {}};
    if (firstInstall) ApproveListed(plan, builtIn);
    if (configList) ApproveListed(plan, *configList);
    return plan;
}

} // namespace hv
