// Arbitrary pipe messages through the time service's request parser, and through the tray
// program's reply parser, which reads what comes back over the same pipe.
#include "timeservice/ServerName.h"
#include "timeservice/ServiceProtocol.h"

#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> message(data, size);

    const hv::ParsedRequest parsed = hv::ParseRequest(message);
    Require(parsed.request.has_value() == (parsed.fault == hv::RequestFault::None));
    Require(!hv::RequestFaultText(parsed.fault).empty());
    if (parsed.request) {
        Require(size >= hv::kServiceHeaderBytes && size <= hv::kMaxServiceMessageBytes);
        if (parsed.request->type == hv::RequestType::Synchronise) {
            // A name taken is in normal form and travels unchanged.
            Require(hv::NormaliseServerName(parsed.request->server) == parsed.request->server);
        }
        Require(hv::ParseRequest(hv::EncodeRequest(*parsed.request)).request == parsed.request);
    }

    if (const auto reply = hv::ParseReply(message)) {
        Require(hv::ParseReply(hv::EncodeReply(*reply)) == reply);
        Require(reply->server.size() <= hv::kMaxServerNameBytes);
    }
    return 0;
}
