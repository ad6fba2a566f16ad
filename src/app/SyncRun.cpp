#include "app/SyncRun.h"

#include "app/TimerIds.h"
#include "app/TracedCalls.h"
#include "framework/TextFormat.h"
#include "framework/TimeUnits.h"
#include "protocol/CompanionProtocol.h"

namespace hv {

namespace {
constexpr const char* kTextSocketError = "Error to create socket!";
constexpr const char* kLineEnd = "\r\n";

// The "sync" window's texts, each under a time stamp line.
constexpr const char* kWindowStampFormat = "(%H:%M:%S %m-%d-%Y):\r\n";
constexpr const char* kStopStampFormat = "(%H:%M:%S %m-%d-%Y):";
constexpr const char* kTextSyncRunning = "Synch is running,please retry later.\r\n";
constexpr const char* kTextRequestSent = "Succed to Send Request Data to Time Server!\r\n";
constexpr const char* kTextRequestFailed = "Failed to Send Request Data to Time Server!\r\n";
constexpr const char* kTextSyncStopped = "Stop Sycn Process.\r\n";
constexpr const char* kTextNoResponse = "Time Server doesn't send response data back!\r\n";

// Texts of both the log and the window.
constexpr const char* kFormatDelayOffset = "Net delay:%.3f sec,localtime off:%.3f sec.\r\n";
// The same when the time service chose among several samples of the server.
constexpr const char* kFormatDelayOffsetBestOf = "Net delay:%.3f sec,localtime off:%.3f sec (best of %u).\r\n";
constexpr const char* kFormatAdjusted = "Complete to adjust time,adjust size:%.3fsec.\r\n";

// Log texts around the server's address.
constexpr const char* kLogRequestSent = "Succed to Send Request Data to ";
constexpr const char* kLogRequestFailed = "Failed to Send Request Data to ";
constexpr const char* kLogAddressEnd = "!\r\n";
constexpr const char* kLogNoResponse = " doesn't send response data back!\r\n";

std::string ServiceMeasurementText(const ServiceReply& answer) {
    const double delay = SecondsFromMicros(answer.delayMicros);
    const double offset = SecondsFromMicros(answer.offsetMicros);
    if (answer.samples <= 1) return FormatText(kFormatDelayOffset, delay, offset);
    return FormatText(kFormatDelayOffsetBestOf, delay, offset, static_cast<unsigned>(answer.samples));
}
} // namespace

SyncRun::SyncRun(Platform& platform, ActivityLog& log, TimeServiceLink* timeService, std::function<void()> logShown)
    : m_platform(platform), m_log(log), m_logShown(std::move(logShown)), m_sntp(platform, NameLookup::InBackground),
      m_service(timeService) {
    m_sntp.SetDeferredSendEvents(this);
}

void SyncRun::StartForSyncWindow() {
    if (AwaitingReply()) {
        SendToTitled(m_platform, kSyncWindowTitle, kCodeStartSync, kTextSyncRunning);
        return;
    }
    Start(Asker::SyncWindow);
}

void SyncRun::StopForSyncWindow() {
    Stop();
    SendToTitled(m_platform, kSyncWindowTitle, kCodeStopSync,
                 FormatCivilTime(kStopStampFormat, LocalNow(m_platform)) + kTextSyncStopped);
}

void SyncRun::Stop() {
    m_sntp.Abandon();
    m_service.Abandon();
    m_state = State::Idle;
    m_platform.KillTimer(kTimerSyncTimeout);
}

void SyncRun::Start(Asker asker) {
    if (m_service.Awaiting()) return;
    // The service sets the clock for a user who may not; only without it is the run ours.
    if (!m_sntp.AwaitingReply() && StartThroughService(asker)) return;
    StartOwnExchange(asker);
}

bool SyncRun::StartThroughService(Asker asker) {
    switch (m_service.Begin(m_sntp.ServerAddress())) {
    case TimeServiceRun::Start::NoService: return false;
    case TimeServiceRun::Start::Sent:
        // The service measures, so no answer of the bar's can hold up the reading of a reply.
        ShowStatus();
        RequestSent(State::ThroughService, asker);
        break;
    case TimeServiceRun::Start::Unsendable: SendFailed(asker); break;
    case TimeServiceRun::Start::Refused: RequestFailed(asker, m_service.Trouble() + kLineEnd); break;
    }
    return true;
}

void SyncRun::StartOwnExchange(Asker asker) {
    // Opening again while a request is outstanding keeps that request's socket, so its
    // reply still arrives.
    if (!m_sntp.Create()) {
        m_platform.ShowMessageBox(kTextSocketError);
        Report({.succeeded = std::nullopt,
                .entries = {{ActivityLog::Kind::Error, LocalNow(m_platform), {}, kTextRequestFailed}},
                .toSyncWindow = asker == Asker::SyncWindow});
        return;
    }
    if (m_sntp.AwaitingReply()) return;
    // The bar hears of the request before it goes out. Told while the reply is on its way,
    // a slow or hung bar would hold up the reading of the reply and so falsify the
    // measured delay and offset, by seconds.
    TellBar(kStatusOutstanding);
    if (m_sntp.SendRequest()) {
        RequestSent(m_sntp.LookingUp() ? State::LookingUp : State::OwnExchange, asker);
    } else {
        SendFailed(asker);
    }
}

void SyncRun::RequestSent(State state, Asker asker) {
    // From the start: the time-out covers the look-up and the exchange together.
    StartTimerTraced(m_platform, kTimerSyncTimeout, kSyncTimeoutMs);
    m_state = state;
    m_asker = asker;
    if (state != State::LookingUp) TellRequestSent(asker);
}

void SyncRun::OnDeferredSend(bool sent) {
    if (m_state != State::LookingUp) return;
    if (sent) {
        m_state = State::OwnExchange;
        TellRequestSent(m_asker);
        return;
    }
    m_state = State::Idle;
    m_platform.KillTimer(kTimerSyncTimeout);
    SendFailed(m_asker);
}

void SyncRun::TellRequestSent(Asker asker) {
    const CivilTime now = LocalNow(m_platform);
    m_log.Write(ActivityLog::Kind::Ordinary, now, kLogRequestSent + m_sntp.ServerAddress() + kLogAddressEnd);
    if (asker == Asker::SyncWindow) {
        SendToTitled(m_platform, kSyncWindowTitle, kCodeStartSync,
                     FormatCivilTime(kWindowStampFormat, now) + kTextRequestSent);
    }
}

void SyncRun::RequestFailed(Asker asker, std::string logText) {
    Report({.succeeded = false,
            .entries = {{ActivityLog::Kind::Error, LocalNow(m_platform), std::move(logText), kTextRequestFailed}},
            .toSyncWindow = asker == Asker::SyncWindow});
}

void SyncRun::SendFailed(Asker asker) {
    RequestFailed(asker, kLogRequestFailed + m_sntp.ServerAddress() + kLogAddressEnd);
}

void SyncRun::OnTick(const CivilTime& tickTime) {
    if (m_state == State::Idle) return;
    m_service.Poll();
    if (!AwaitingReply()) Finish(tickTime);
}

void SyncRun::Finish(const CivilTime& tickTime) {
    m_state = State::Idle;
    m_platform.KillTimer(kTimerSyncTimeout);
    const Outcome outcome =
        m_service.Answered() ? ServiceOutcome(tickTime, m_service.TakeAnswer()) : OwnOutcome(tickTime);
    m_sntp.ClearResult();
    Report(outcome);
}

SyncRun::Outcome SyncRun::OwnOutcome(const CivilTime& tickTime) {
    if (m_sntp.TooSlow()) {
        // A reply that took too long ends the run like no reply: nothing measured, nothing set.
        const std::string slow = m_sntp.ServerAddress() + kLogDelayTooLong + kLogAddressEnd;
        return {.succeeded = false, .entries = {{ActivityLog::Kind::Error, tickTime, slow, slow}}};
    }
    const std::string measured = FormatText(kFormatDelayOffset, m_sntp.Delay(), m_sntp.Offset());
    // A reply came: the run succeeded, whether or not the clock gets set.
    Outcome outcome{.succeeded = true, .entries = {{ActivityLog::Kind::Ordinary, tickTime, measured, measured}}};
    if (m_sntp.AdjustClock(m_platform)) {
        // Stamped after the change, so the entry shows the corrected time.
        const std::string adjusted = FormatText(kFormatAdjusted, m_sntp.Offset());
        outcome.entries.push_back({ActivityLog::Kind::Ordinary, LocalNow(m_platform), adjusted, adjusted});
    }
    return outcome;
}

// The same entries as a run of our own, from what the service measured and did; a
// refusal becomes a failed run with an entry that says why.
SyncRun::Outcome SyncRun::ServiceOutcome(const CivilTime& tickTime, const std::optional<ServiceReply>& answer) {
    const bool measured = answer && HasMeasurement(answer->status);
    const bool adjusted = answer && answer->status == ServiceStatus::Adjusted;
    Outcome outcome;
    if (measured) {
        const std::string text = ServiceMeasurementText(*answer);
        outcome.entries.push_back({ActivityLog::Kind::Ordinary, tickTime, text, text});
    }
    if (adjusted) {
        const std::string text = FormatText(kFormatAdjusted, SecondsFromMicros(answer->offsetMicros));
        outcome.entries.push_back({ActivityLog::Kind::Ordinary, LocalNow(m_platform), text, text});
    }
    // The service finding the clock already right is a run that succeeded.
    outcome.succeeded = adjusted || (answer && answer->status == ServiceStatus::Measured);
    if (!*outcome.succeeded) {
        const std::string why = ServiceRefusalText(answer, m_sntp.ServerAddress()) + kLineEnd;
        outcome.entries.push_back({ActivityLog::Kind::Error, measured ? LocalNow(m_platform) : tickTime, why, why});
    }
    return outcome;
}

void SyncRun::OnTimeout() {
    // An answer that came since the last tick is the tick's to handle.
    m_service.Poll();
    if (!AwaitingReply()) return;
    if (m_state == State::LookingUp) {
        // The name never came: nothing was sent, which is what the run reports.
        const Asker asker = m_asker;
        Stop();
        SendFailed(asker);
        return;
    }
    const bool serviceSilent = m_service.Awaiting() && !m_service.ServerSilent();
    Stop();
    const CivilTime now = LocalNow(m_platform);
    const std::string silent = std::string(kTextServiceSilent) + kLineEnd;
    Report({.succeeded = false,
            .entries = {serviceSilent ? Entry{ActivityLog::Kind::Error, now, silent, silent}
                                      : Entry{ActivityLog::Kind::Error, now, m_sntp.ServerAddress() + kLogNoResponse,
                                              kTextNoResponse}}});
}

void SyncRun::Report(const Outcome& outcome) {
    std::string windowText;
    for (const Entry& entry : outcome.entries) {
        if (!entry.logText.empty()) m_log.Write(entry.kind, entry.at, entry.logText);
        if (!entry.windowText.empty()) windowText += FormatCivilTime(kWindowStampFormat, entry.at) + entry.windowText;
    }
    if (outcome.succeeded) {
        m_lastSucceeded = *outcome.succeeded;
        ShowStatus();
    }
    if (outcome.toSyncWindow) SendToTitled(m_platform, kSyncWindowTitle, kCodeSyncResult, windowText);
}

void SyncRun::ShowStatus() {
    TellBar(AwaitingReply() ? kStatusOutstanding : m_lastSucceeded ? kStatusOk : kStatusFailed);
    if (m_logShown) m_logShown();
}

void SyncRun::TellBar(std::uintptr_t status) { SendToTitled(m_platform, kBarWindowTitle, status); }

} // namespace hv
