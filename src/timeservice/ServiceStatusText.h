#pragma once
#include "timeservice/ServiceConfig.h"
#include "timeservice/ServiceProtocol.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace hv {

// What the status command says, line by line, without the program's name before each.

// Where the service stands with the service control manager.
struct ServiceStanding {
    bool installed = false;
    bool running = false;
    std::uint32_t processId = 0;
    std::string account;
    std::string imagePath;
};
std::string ServiceStandingText(const ServiceStanding& standing);
std::string ApprovedServersText(const ApprovedServers& approved);
std::string LargestCorrectionText(std::uint32_t seconds);
std::string ConfirmAboveText(std::uint32_t seconds);
// The service's answer to "last result".
std::string LastResultText(const ServiceReply& reply);
// Microseconds as seconds to the millisecond, as the status and the event log show them.
std::string SecondsText(std::int64_t micros);

} // namespace hv
