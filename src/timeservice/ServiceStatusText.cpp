#include "timeservice/ServiceStatusText.h"

#include "framework/TimeUnits.h"
#include "sync/SntpClient.h"

#include <cstdio>

namespace hv {

std::string SecondsText(std::int64_t micros) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", SecondsFromMicros(micros));
    return text;
}

std::string ServiceStandingText(const ServiceStanding& standing) {
    if (!standing.installed) return "not installed.";
    const std::string state =
        standing.running ? "running (process " + std::to_string(standing.processId) + ")" : "installed, not running";
    return state + " as " + standing.account + ", program " + standing.imagePath;
}

std::string ApprovedServersText(const ApprovedServers& approved) {
    return "approved servers: " + (approved.Names().empty() ? std::string("none") : approved.Stored());
}

std::string LargestCorrectionText(std::uint32_t seconds) {
    return "largest correction in any 24 hours: " + std::to_string(seconds) + " seconds";
}

std::string ConfirmAboveText(std::uint32_t seconds) {
    return "steps over " + std::to_string(seconds) + " seconds need a second server's agreement";
}

std::string LastResultText(const ServiceReply& reply) {
    const std::string measured = " from " + reply.server + ": offset " + SecondsText(reply.offsetMicros) +
                                 " s, delay " + SecondsText(reply.delayMicros) + " s";
    switch (reply.status) {
    case ServiceStatus::Adjusted: return "last result: set the clock" + measured + ".";
    case ServiceStatus::Measured: return "last result: measured" + measured + "; nothing to change.";
    case ServiceStatus::OverLimit: return "last result: did not set the clock" + measured + ", beyond the limit.";
    case ServiceStatus::ClockRefused: return "last result: could not set the clock" + measured + ".";
    case ServiceStatus::NoResponse: return "last result: " + reply.server + " did not answer.";
    case ServiceStatus::SendFailed: return "last result: could not send a request to " + reply.server + ".";
    case ServiceStatus::DelayTooLong: return "last result: " + reply.server + kLogDelayTooLong + ".";
    case ServiceStatus::DailyLimit:
        return "last result: did not set the clock" + measured + ", beyond the limit for 24 hours.";
    case ServiceStatus::NotConfirmed:
        return "last result: did not set the clock" + measured + ", not confirmed by a second server.";
    case ServiceStatus::LoopbackName:
        return "last result: refused " + reply.server + ", whose name leads to this machine.";
    default: return "last result: none yet.";
    }
}

} // namespace hv
