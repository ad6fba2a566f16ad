#include "timeservice/TimeService.h"

#include "framework/Platform.h"
#include "sync/ReplyValidation.h"
#include "timeservice/ServiceConfig.h"
#include "framework/TimeUnits.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace hv {
namespace {


std::string Seconds(std::int64_t micros) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", SecondsFromMicros(micros));
    return text;
}

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

} // namespace

TimeService::TimeService(Platform& platform, ServiceJournal& journal)
    : m_platform(platform), m_journal(journal), m_sntp(platform) {}

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
    const ServiceConfig config = LoadServiceConfig(m_platform);
    if (!config.approved.Contains(server)) return Refusal(ServiceStatus::NotApproved, server);
    if (m_exchange) return Refusal(ServiceStatus::Busy, server);
    if (!m_spacing.TryStart(nowMs)) {
        ServiceReply tooSoon = Refusal(ServiceStatus::TooSoon, server);
        tooSoon.retryAfterSeconds = m_spacing.SecondsUntilNext(nowMs);
        return tooSoon;
    }
    m_sntp.SetServerAddress(server);
    if (!m_sntp.Create() || !m_sntp.SendRequest()) {
        m_journal.Write(ServiceJournal::Kind::Warning,
                        "Could not send a request to " + server + ": unknown host or network error.");
        return Remember(Refusal(ServiceStatus::SendFailed, server));
    }
    m_exchange = Exchange{caller, server, nowMs + kExchangeWaitMs, config.maxCorrectionSeconds};
    return std::nullopt;
}

std::optional<TimeService::Answer> TimeService::Poll(std::int64_t nowMs) {
    if (!m_exchange) return std::nullopt;
    if (m_sntp.AwaitingReply() && nowMs < m_exchange->deadlineMs) return std::nullopt;
    const Exchange exchange = *m_exchange;
    m_exchange.reset();
    return Answer{exchange.caller, EncodeReply(Remember(Conclude(exchange)))};
}

ServiceReply TimeService::Conclude(const Exchange& exchange) {
    if (m_sntp.AwaitingReply()) {
        m_sntp.Abandon();
        std::string text = exchange.server + " sent no valid reply within " +
                           std::to_string(kExchangeWaitMs / kMillisPerSecond) + " seconds.";
        if (m_sntp.LastRefusal() != ReplyVerdict::Accepted) {
            text += " A datagram was refused: " + std::string(ReplyVerdictText(m_sntp.LastRefusal())) + ".";
        }
        m_journal.Write(ServiceJournal::Kind::Warning, text);
        return Refusal(ServiceStatus::NoResponse, exchange.server);
    }
    ServiceReply reply = Measurement(exchange);
    const std::string measured = exchange.server + " (delay " + Seconds(reply.delayMicros) + " s)";
    if (BeyondLimit(reply.offsetMicros, exchange.limitSeconds)) {
        reply.status = ServiceStatus::OverLimit;
        reply.limitSeconds = exchange.limitSeconds;
        m_journal.Write(ServiceJournal::Kind::Warning,
                        "Did not set the clock: " + measured + " puts it " + Seconds(reply.offsetMicros) +
                            " s off, more than the limit of " + std::to_string(exchange.limitSeconds) + " s.");
        return reply;
    }
    const ClockAdjustment adjustment = m_sntp.TryAdjustClock();
    switch (adjustment.outcome) {
    case ClockAdjustment::Outcome::Set:
        reply.status = ServiceStatus::Adjusted;
        m_journal.Write(ServiceJournal::Kind::Information,
                        "Set the clock by " + Seconds(reply.offsetMicros) + " s, measured against " + measured + ".");
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

ServiceReply TimeService::Measurement(const Exchange& exchange) const {
    ServiceReply reply = Refusal(ServiceStatus::Measured, exchange.server);
    reply.delayMicros = Micros(m_sntp.Delay());
    reply.offsetMicros = Micros(m_sntp.Offset());
    return reply;
}

ServiceReply TimeService::Remember(ServiceReply reply) {
    m_last = reply;
    return reply;
}

void TimeService::OnCallerGone(CallerId caller) {
    if (!m_exchange || m_exchange->caller != caller) return;
    m_sntp.Abandon();
    m_exchange.reset();
}

std::optional<std::int64_t> TimeService::DeadlineMs() const {
    if (!m_exchange) return std::nullopt;
    return m_exchange->deadlineMs;
}

} // namespace hv
