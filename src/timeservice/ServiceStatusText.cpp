#include "timeservice/ServiceStatusText.h"

#include "framework/TimeUnits.h"

#include <cstdio>

namespace hv {
namespace {

std::string Seconds(std::int64_t micros) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", SecondsFromMicros(micros));
    return text;
}

} // namespace

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
    return "largest correction: " + std::to_string(seconds) + " seconds";
}

std::string LastResultText(const ServiceReply& reply) {
    const std::string measured = " from " + reply.server + ": offset " + Seconds(reply.offsetMicros) + " s, delay " +
                                 Seconds(reply.delayMicros) + " s";
    switch (reply.status) {
    case ServiceStatus::Adjusted: return "last result: set the clock" + measured + ".";
    case ServiceStatus::Measured: return "last result: measured" + measured + "; nothing to change.";
    case ServiceStatus::OverLimit: return "last result: did not set the clock" + measured + ", beyond the limit.";
    case ServiceStatus::ClockRefused: return "last result: could not set the clock" + measured + ".";
    case ServiceStatus::NoResponse: return "last result: " + reply.server + " did not answer.";
    case ServiceStatus::SendFailed: return "last result: could not send a request to " + reply.server + ".";
    default: return "last result: none yet.";
    }
}

} // namespace hv
