#pragma once
#include "timeservice/CorrectionBudget.h"
#include "timeservice/ExchangeSpacing.h"
#include "timeservice/SecondOpinion.h"
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

class HeadlessPlatform;

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
    // How long a second server has to confirm a large step, after the burst: as long as a
    // round trip may take and still be believed.
    static constexpr std::int64_t kSecondOpinionWaitMs = 3000;

    struct Answer {
        CallerId caller;
        std::vector<std::uint8_t> reply;
    };

    TimeService(HeadlessPlatform& platform, ServiceJournal& journal);

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
        std::uint32_t limitSeconds;
        IpAddress address;
        std::uint32_t confirmAboveSeconds = 0;
        ApprovedServers approved;
        // The measured step that waits for a second server's agreement, and until when; the
        // burst before it keeps its own time.
        std::optional<ServiceReply> unconfirmed;
        std::int64_t confirmDeadlineMs = 0;
    };

    // Starts an exchange for the caller; the refusal when it does not.
    std::optional<ServiceReply> Synchronise(CallerId caller, const std::string& server, std::int64_t nowMs);
    // The reply to the caller; nothing while a second server is asked.
    std::optional<ServiceReply> Conclude(Exchange& exchange, std::int64_t nowMs);
    ServiceReply Measurement(const Exchange& exchange) const;
    // The rules a measured correction must pass before it is made; the refusal when it fails one.
    std::optional<ServiceReply> Refuse(const Exchange& exchange, ServiceReply reply, std::int64_t nowMs);
    std::optional<ServiceReply> AskSecondOpinion(Exchange& exchange, ServiceReply reply);
    ServiceReply ConcludeSecondOpinion(const Exchange& exchange, std::int64_t nowMs);
    ServiceReply Apply(ServiceReply reply, const std::string& measured, std::int64_t nowMs);
    ServiceReply Remember(ServiceReply reply);
    void ReportConfigProblems(const std::string& problems);

    HeadlessPlatform& m_platform;
    ServiceJournal& m_journal;
    SntpClient m_sntp;
    SampleBurst m_burst{m_sntp, m_platform, kBurstSamples, kExchangeWaitMs};
    ExchangeSpacing m_spacing;
    CorrectionBudget m_budget;
    SecondOpinion m_second;
    std::string m_reportedProblems;
    std::optional<Exchange> m_exchange;
    std::optional<ServiceReply> m_last;
};

} // namespace hv
