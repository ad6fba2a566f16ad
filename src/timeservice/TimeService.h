#pragma once
#include "timeservice/ExchangeSpacing.h"
#include "timeservice/ServiceJournal.h"
#include "timeservice/ServiceProtocol.h"
#include "sync/SampleBurst.h"
#include "sync/SntpClient.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace hv {

class Platform;

// The time service's whole behaviour, apart from the pipe that carries its messages: it
// answers requests and runs the program's own validated SNTP exchange against an approved
// server, one at a time, and sets the clock from what it measured, never from anything a
// caller sent. Single-threaded: the host calls it from one thread, which also delivers the
// exchange's socket notifications.
class TimeService {
public:
    // Who is waiting on the pipe; chosen by the host, never by a caller.
    using CallerId = std::uint64_t;
    // The service gives a server this long to answer, less than the tray program's ten
    // seconds, so that "the server did not answer" reaches the program before it gives up.
    static constexpr std::int64_t kExchangeWaitMs = 8000;
    // Samples of one exchange: with the spacing between them, four fit in the wait.
    static constexpr int kBurstSamples = 4;

    struct Answer {
        CallerId caller;
        std::vector<std::uint8_t> reply;
    };

    TimeService(Platform& platform, ServiceJournal& journal);

    // The reply to send at once; nothing when an exchange has started for this caller and
    // Poll will give its answer. `nowMs` is a clock that never steps.
    std::optional<std::vector<std::uint8_t>> OnRequest(CallerId caller, std::span<const std::uint8_t> message,
                                                       std::int64_t nowMs);
    // The answer to the exchange once it has ended (a reply taken, or its time up).
    std::optional<Answer> Poll(std::int64_t nowMs);
    // The caller has hung up: its exchange is given up and the clock is not set, as a
    // stopped run in the tray program sets nothing either.
    void OnCallerGone(CallerId caller);
    // When Poll must run at the latest.
    std::optional<std::int64_t> DeadlineMs() const;

private:
    struct Exchange {
        CallerId caller;
        std::string server;
        std::int64_t deadlineMs;
        std::uint32_t limitSeconds;
    };

    // Starts an exchange for the caller; the refusal when it does not.
    std::optional<ServiceReply> Synchronise(CallerId caller, const std::string& server, std::int64_t nowMs);
    ServiceReply Conclude(const Exchange& exchange);
    ServiceReply Measurement(const Exchange& exchange) const;
    ServiceReply Remember(ServiceReply reply);

    Platform& m_platform;
    ServiceJournal& m_journal;
    SntpClient m_sntp;
    SampleBurst m_burst{m_sntp, kBurstSamples, kExchangeWaitMs};
    ExchangeSpacing m_spacing;
    std::optional<Exchange> m_exchange;
    std::optional<ServiceReply> m_last;
};

} // namespace hv
