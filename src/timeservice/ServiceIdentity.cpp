#include "timeservice/ServiceIdentity.h"

#include <algorithm>
#include <string_view>

namespace hv {
namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

bool IsGenuineTimeService(const PipeServerFacts& facts) {
    if (!facts.pipeServerPid || !facts.servicePid || *facts.servicePid == 0) return false;
    if (*facts.pipeServerPid != *facts.servicePid) return false;
    if (!SameIgnoringCase(facts.serviceAccount, kTimeServiceAccount)) return false;
    if (!facts.serverUserSid || !facts.accountsDistinct) return true;
    return *facts.serverUserSid == kLocalServiceSid;
}

} // namespace hv
