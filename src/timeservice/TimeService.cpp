#include "timeservice/TimeService.h"

#include "framework/HeadlessPlatform.h"
#include "sync/ReplyValidation.h"
#include "timeservice/LoopbackRule.h"
#include "timeservice/ServiceConfig.h"
#include "timeservice/ServiceStatusText.h"
#include "framework/TimeUnits.h"

#include <cmath>
#include <cstdlib>

namespace hv {
namespace {

std::int64_t Micros(double seconds) { return std::llround(seconds * static_cast<double>(kMicrosPerSecond)); }

ServiceReply Refusal(ServiceStatus status, std::string server = {}) {
    ServiceReply reply;
    reply.status = status;
    reply.server = std::move(server);
    return reply;
}

// A correction is refused when its size passes the limit; the comparison is in whole
// microseconds so that no rounding lets a larger one through.
bool BeyondLimit(std::int64_t offsetMicros, std::uint32_t limitSeconds) {
    const std::int64_t limitMicros = static_cast<std::int64_t>(limitSeconds) * kMicrosPerSecond;
    return offsetMicros > limitMicros || offsetMicros < -limitMicros;
}

// Every sample the burst took and the one believed, for the event log.
std::string SamplesText(const std::string& server, const SampleBurst& burst) {
    std::string text = server + " answered " + std::to_string(burst.Samples().size()) + " of " +
                       std::to_string(burst.Requests()) + " requests:";
    for (const BurstSample& sample : burst.Samples()) {
        text += " #" + std::to_string(sample.number) + " delay " + SecondsText(Micros(sample.delay)) + " s offset " +
                SecondsText(Micros(sample.offset)) + " s;";
    }
    return text + " used #" + std::to_string(burst.Best()->number) + ", the shortest round trip.";
}

} // namespace

TimeService::TimeService(HeadlessPlatform& platform, ServiceJournal& journal)
    : m_platform(platform), m_journal(journal), m_sntp(platform), m_second(platform) {}

std::optional<std::vector<std::uint8_t>> TimeService::OnRequest(CallerId caller, std::span<const std::uint8_t> message,
                                                                std::int64_t nowMs) {
    const ParsedRequest parsed = ParseRequest(message);
    if (!parsed.request) {
        ServiceReply refusal = Refusal(ServiceStatus::Malformed);
        refusal.fault = parsed.fault;
        return EncodeReply(refusal);
    }
    if (parsed.request->type == RequestType::LastResult) {
        return EncodeReply(m_last.value_or(Refusal(ServiceStatus::NoResult)));
    }
    const std::optional<ServiceReply> refusal = Synchronise(caller, parsed.request->server, nowMs);
    if (!refusal) return std::nullopt;
    return EncodeReply(*refusal);
}

std::optional<ServiceReply> TimeService::Synchronise(CallerId caller, const std::string& server, std::int64_t nowMs) {
    // The host read its clock as the request came in; reading the configuration and resolving
    // the name take time (seconds, for a slow name server), and the burst's spacing counts
    // from when its first request really leaves.
    const std::int64_t arrivedMicros = m_platform.NowMicroseconds();
    const ServiceConfig config = EffectiveServiceConfig(m_platform);
    ReportConfigProblems(config.problems);
    if (!config.approved.Contains(server)) return Refusal(ServiceStatus::NotApproved, server);
    if (m_exchange) return Refusal(ServiceStatus::Busy, server);
    if (!m_spacing.TryStart(nowMs)) {
        ServiceReply tooSoon = Refusal(ServiceStatus::TooSoon, server);
        tooSoon.retryAfterSeconds = m_spacing.SecondsUntilNext(nowMs);
        return tooSoon;
    }
    bool loopback = false;
    const auto address = ResolveForQuery(m_platform, server, loopback);
    if (loopback) {
        m_journal.Write(ServiceJournal::Kind::Warning,
                        "Did not query " + server +
                            ": the name resolves to a loopback address, where any local program can answer. "
                            "Approve the address itself to use a server on this machine.");
        return Remember(Refusal(ServiceStatus::LoopbackName, server));
    }
    // The requests go to the address judged above, not to a second look-up of the name.
    if (address) m_sntp.SetServerAddress(FormatIpAddress(*address));
    if (!address || !m_burst.Start(nowMs, arrivedMicros)) {
        m_journal.Write(ServiceJournal::Kind::Warning,
                        "Could not send a request to " + server + ": unknown host or network error.");
        return Remember(Refusal(ServiceStatus::SendFailed, server));
    }
    m_exchange =
        Exchange{caller,          server,      config.maxCorrectionSeconds, *address, config.confirmAboveSeconds,
                 config.approved, std::nullopt};
    return std::nullopt;
}

std::optional<TimeService::Answer> TimeService::Poll(std::int64_t nowMs) {
    if (!m_exchange) return std::nullopt;
    if (m_exchange->unconfirmed) {
        if (m_second.Awaiting() && nowMs < m_exchange->confirmDeadlineMs) return std::nullopt;
    } else {
        m_burst.Poll(nowMs);
        if (m_burst.Running()) return std::nullopt;
    }
    const std::optional<ServiceReply> reply =
        m_exchange->unconfirmed ? ConcludeSecondOpinion(*m_exchange, nowMs) : Conclude(*m_exchange, nowMs);
    if (!reply) return std::nullopt;
    const CallerId caller = m_exchange->caller;
    m_exchange.reset();
    return Answer{caller, EncodeReply(Remember(*reply))};
}

std::optional<ServiceReply> TimeService::Conclude(Exchange& exchange, std::int64_t nowMs) {
    if (!m_burst.Best()) {
        std::string text = exchange.server + " sent no valid reply within " +
                           std::to_string(kExchangeWaitMs / kMillisPerSecond) + " seconds.";
        if (m_sntp.LastRefusal() != ReplyVerdict::Accepted) {
            text += " A datagram was refused: " + std::string(ReplyVerdictText(m_sntp.LastRefusal())) + ".";
        }
        m_journal.Write(ServiceJournal::Kind::Warning, text);
        return Refusal(ServiceStatus::NoResponse, exchange.server);
    }
    m_journal.Write(ServiceJournal::Kind::Information, SamplesText(exchange.server, m_burst));
    ServiceReply reply = Measurement(exchange);
    if (const auto refusal = Refuse(exchange, reply, nowMs)) return refusal;
    if (SecondOpinion::Needed(reply.offsetMicros, exchange.confirmAboveSeconds)) {
        exchange.confirmDeadlineMs = nowMs + kSecondOpinionWaitMs;
        return AskSecondOpinion(exchange, reply);
    }
    return Apply(reply, exchange.server + " (delay " + SecondsText(reply.delayMicros) + " s)", nowMs);
}

std::optional<ServiceReply> TimeService::Refuse(const Exchange& exchange, ServiceReply reply, std::int64_t nowMs) {
    const std::string measured = exchange.server + " (delay " + SecondsText(reply.delayMicros) + " s)";
    if (m_sntp.TooSlow()) {
        reply.status = ServiceStatus::DelayTooLong;
        m_journal.Write(ServiceJournal::Kind::Warning, "Did not set the clock: " + exchange.server + kLogDelayTooLong +
                                                           " (delay " + SecondsText(reply.delayMicros) + " s).");
        return reply;
    }
    if (BeyondLimit(reply.offsetMicros, exchange.limitSeconds)) {
        reply.status = ServiceStatus::OverLimit;
        reply.limitSeconds = exchange.limitSeconds;
        m_journal.Write(ServiceJournal::Kind::Warning,
                        "Did not set the clock: " + measured + " puts it " + SecondsText(reply.offsetMicros) +
                            " s off, more than the limit of " + std::to_string(exchange.limitSeconds) + " s.");
        return reply;
    }
    if (!m_budget.Allows(nowMs, reply.offsetMicros, exchange.limitSeconds)) {
        reply.status = ServiceStatus::DailyLimit;
        reply.limitSeconds = exchange.limitSeconds;
        m_journal.Write(ServiceJournal::Kind::Warning,
                        "Did not set the clock: " + measured + " puts it " + SecondsText(reply.offsetMicros) +
                            " s off; with the " + SecondsText(m_budget.SpentMicros(nowMs)) +
                            " s corrected in the last 24 hours that is more than the limit of " +
                            std::to_string(exchange.limitSeconds) + " s.");
        return reply;
    }
    return std::nullopt;
}

std::optional<ServiceReply> TimeService::AskSecondOpinion(Exchange& exchange, ServiceReply reply) {
    if (m_second.Ask(exchange.approved, exchange.server, exchange.address)) {
        exchange.unconfirmed = reply;
        return std::nullopt;
    }
    reply.status = ServiceStatus::NotConfirmed;
    reply.limitSeconds = exchange.confirmAboveSeconds;
    m_journal.Write(ServiceJournal::Kind::Warning,
                    "Did not set the clock: " + exchange.server + " puts it " + SecondsText(reply.offsetMicros) +
                        " s off, a step of more than " + std::to_string(exchange.confirmAboveSeconds) +
                        " s, and there is no second approved server at another address to confirm it.");
    return reply;
}

ServiceReply TimeService::ConcludeSecondOpinion(const Exchange& exchange, std::int64_t nowMs) {
    ServiceReply reply = *exchange.unconfirmed;
    const bool answered = !m_second.Awaiting();
    m_second.Abandon();
    const std::string measured = exchange.server + " (delay " + SecondsText(reply.delayMicros) + " s)";
    if (answered && m_second.Agrees(reply.offsetMicros)) {
        return Apply(reply, measured + ", confirmed by " + m_second.Server(), nowMs);
    }
    reply.status = ServiceStatus::NotConfirmed;
    reply.limitSeconds = exchange.confirmAboveSeconds;
    m_journal.Write(ServiceJournal::Kind::Warning,
                    "Did not set the clock: " + measured + " puts it " + SecondsText(reply.offsetMicros) +
                        " s off, a step of more than " + std::to_string(exchange.confirmAboveSeconds) + " s, and " +
                        m_second.Server() +
                        (answered ? " does not agree within 1 s." : " sent no valid reply in time to confirm it."));
    return reply;
}

ServiceReply TimeService::Apply(ServiceReply reply, const std::string& measured, std::int64_t nowMs) {
    const ClockAdjustment adjustment = m_sntp.TryAdjustClock();
    switch (adjustment.outcome) {
    case ClockAdjustment::Outcome::Set:
        reply.status = ServiceStatus::Adjusted;
        m_budget.Record(nowMs, reply.offsetMicros);
        m_journal.Write(ServiceJournal::Kind::Information, "Set the clock by " + SecondsText(reply.offsetMicros) +
                                                               " s, measured against " + measured + ".");
        break;
    case ClockAdjustment::Outcome::Negligible:
        reply.status = ServiceStatus::Measured;
        m_journal.Write(ServiceJournal::Kind::Information,
                        "Measured " + measured + ": the clock is right, nothing to change.");
        break;
    case ClockAdjustment::Outcome::PrivilegeRefused:
        reply.status = ServiceStatus::ClockRefused;
        m_journal.Write(ServiceJournal::Kind::Error,
                        "Could not set the clock: the right to change the system time was refused (error " +
                            std::to_string(adjustment.privilege.error) + ").");
        break;
    case ClockAdjustment::Outcome::SystemRefused:
        reply.status = ServiceStatus::ClockRefused;
        m_journal.Write(ServiceJournal::Kind::Error, "Could not set the clock: the system refused the new time.");
        break;
    }
    return reply;
}

void TimeService::ReportConfigProblems(const std::string& problems) {
    if (problems == m_reportedProblems) return;
    m_reportedProblems = problems;
    if (!problems.empty()) m_journal.Write(ServiceJournal::Kind::Warning, "Settings in the registry: " + problems);
}

ServiceReply TimeService::Measurement(const Exchange& exchange) const {
    ServiceReply reply = Refusal(ServiceStatus::Measured, exchange.server);
    reply.delayMicros = Micros(m_sntp.Delay());
    reply.offsetMicros = Micros(m_sntp.Offset());
    reply.samples = static_cast<std::uint8_t>(m_burst.Samples().size());
    return reply;
}

ServiceReply TimeService::Remember(ServiceReply reply) {
    m_last = reply;
    return reply;
}

void TimeService::OnCallerGone(CallerId caller) {
    if (!m_exchange || m_exchange->caller != caller) return;
    m_sntp.Abandon();
    m_second.Abandon();
    m_burst.Abandon();
    m_exchange.reset();
}

std::optional<std::int64_t> TimeService::DeadlineMs() const {
    if (!m_exchange) return std::nullopt;
    if (m_exchange->unconfirmed) return m_exchange->confirmDeadlineMs;
    return m_burst.NextPollMs();
}

} // namespace hv
