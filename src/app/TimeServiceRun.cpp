#include "app/TimeServiceRun.h"

#include "framework/TextFormat.h"
#include "framework/TimeUnits.h"
#include "sync/SntpClient.h"

namespace hv {
namespace {

constexpr const char* kTextImpostor =
    "The time service's pipe is served by a program that is not the time service; nothing was sent.";
constexpr const char* kTextPipeBusy = "The time service is busy with other callers; nothing was sent.";
constexpr const char* kTextUnreachable = "The time service could not be reached; nothing was sent.";
constexpr const char* kFormatNotApproved =
    "The time service refused %s: it is not an approved server (an administrator can approve it with "
    "\"HorvaneTime approve %s\").";
constexpr const char* kTextBusy = "The time service is busy with another synchronisation; nothing was measured.";
constexpr const char* kFormatTooSoon =
    "The time service refused: synchronisations came too close together; it takes the next one in %u seconds.";
constexpr const char* kFormatOverLimit =
    "The time service did not set the clock: a correction of %.3f sec is more than its limit of %u sec.";
constexpr const char* kTextClockRefused =
    "The time service could not set the clock (its entry in the Application event log says why).";
constexpr const char* kFormatSendFailed =
    "The time service could not send a request to %s (unknown host or network error).";
constexpr const char* kFormatDailyLimit =
    "The time service did not set the clock: with the corrections of the last 24 hours, %.3f sec more would "
    "pass its limit of %u sec.";
constexpr const char* kFormatNotConfirmed =
    "The time service did not set the clock: a step of %.3f sec is more than %u sec and no second approved "
    "server confirmed it.";
constexpr const char* kFormatLoopbackName =
    "The time service refused %s: the name leads to this machine, where any program can answer in its place.";
constexpr const char* kTextMalformed = "The time service refused the request as malformed.";
constexpr const char* kTextNoAnswer = "The time service ended the request without a valid answer.";

} // namespace

TimeServiceRun::Start TimeServiceRun::Begin(const std::string& server) {
    m_state = State::Idle;
    m_serverSilent = false;
    m_answer.reset();
    m_trouble.clear();
    if (m_link == nullptr) return Start::NoService;
    switch (m_link->Open()) {
    case TimeServiceLink::Opened::NotRunning: return Start::NoService;
    case TimeServiceLink::Opened::Impostor: m_trouble = kTextImpostor; return Start::Refused;
    case TimeServiceLink::Opened::Busy: m_trouble = kTextPipeBusy; return Start::Refused;
    case TimeServiceLink::Opened::Failed: m_trouble = kTextUnreachable; return Start::Refused;
    case TimeServiceLink::Opened::Connected: break;
    }
    const std::vector<std::uint8_t> request = EncodeRequest({RequestType::Synchronise, server});
    if (request.empty()) {
        m_link->Close();
        return Start::Unsendable;
    }
    if (!m_link->Send(request)) {
        m_link->Close();
        m_trouble = kTextUnreachable;
        return Start::Refused;
    }
    m_state = State::Awaiting;
    return Start::Sent;
}

void TimeServiceRun::Poll() {
    if (m_state != State::Awaiting || m_serverSilent) return;
    TimeServiceLink::Poll poll = m_link->PollReply();
    if (poll.state == TimeServiceLink::Poll::State::Waiting) return;
    m_link->Close();
    if (poll.state == TimeServiceLink::Poll::State::Arrived) m_answer = ParseReply(poll.message);
    if (m_answer && m_answer->status == ServiceStatus::NoResponse) {
        m_serverSilent = true;
        return;
    }
    m_state = State::Answered;
}

std::optional<ServiceReply> TimeServiceRun::TakeAnswer() {
    m_state = State::Idle;
    return std::move(m_answer);
}

void TimeServiceRun::Abandon() {
    // Hanging up tells the service to give the exchange up as well.
    if (m_state == State::Awaiting && m_link != nullptr) m_link->Close();
    m_state = State::Idle;
    m_serverSilent = false;
    m_answer.reset();
}

std::string ServiceRefusalText(const std::optional<ServiceReply>& answer, const std::string& server) {
    if (!answer) return kTextNoAnswer;
    switch (answer->status) {
    case ServiceStatus::Adjusted:
    case ServiceStatus::Measured: return {};
    case ServiceStatus::NotApproved: return FormatText(kFormatNotApproved, server.c_str(), server.c_str());
    case ServiceStatus::Busy: return kTextBusy;
    case ServiceStatus::TooSoon: return FormatText(kFormatTooSoon, answer->retryAfterSeconds);
    case ServiceStatus::OverLimit:
        return FormatText(kFormatOverLimit, SecondsFromMicros(answer->offsetMicros), answer->limitSeconds);
    case ServiceStatus::ClockRefused: return kTextClockRefused;
    case ServiceStatus::SendFailed: return FormatText(kFormatSendFailed, server.c_str());
    case ServiceStatus::DailyLimit:
        return FormatText(kFormatDailyLimit, SecondsFromMicros(answer->offsetMicros), answer->limitSeconds);
    case ServiceStatus::NotConfirmed:
        return FormatText(kFormatNotConfirmed, SecondsFromMicros(answer->offsetMicros), answer->limitSeconds);
    case ServiceStatus::DelayTooLong: return server + kLogDelayTooLong + ".";
    case ServiceStatus::LoopbackName: return FormatText(kFormatLoopbackName, server.c_str());
    case ServiceStatus::Malformed: return kTextMalformed;
    case ServiceStatus::NoResponse:
    case ServiceStatus::NoResult: return kTextNoAnswer;
    }
    return kTextNoAnswer;
}

} // namespace hv
