#include "app/CompanionProtocol.h"
#include "app/MainFrame.h"
#include "app/TimerIds.h"
#include "settings/ServerList.h"

#include <cstdio>

namespace hv {

namespace {
constexpr const char* kTextSocketError = "Error to create socket!";
constexpr const char* kLineEnd = "\r\n";
constexpr double kMicrosPerSecond = 1e6;

std::string FormatSeconds(const char* format, double a, double b = 0.0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

std::string MeasurementText(double delay, double offset, unsigned samples) {
    if (samples <= 1) return FormatSeconds(kFormatDelayOffset, delay, offset);
    char text[160];
    std::snprintf(text, sizeof text, kFormatDelayOffsetBestOf, delay, offset, samples);
    return text;
}

double SecondsOf(std::int64_t micros) { return static_cast<double>(micros) / kMicrosPerSecond; }
} // namespace

bool CMainFrame::SelectDefaultServer() {
    if (!EndsWithDefaultIndex(m_settings.serverList)) m_settings.serverList = DEFAULT_SERVER_LIST;
    const auto entries = ParseServerEntries(m_settings.serverList);
    const auto index = static_cast<std::size_t>(DefaultServerIndex(m_settings.serverList));
    if (index >= entries.size() || !entries[index]) return false;
    m_sntp.SetServerAddress(entries[index]->address);
    return true;
}

void CMainFrame::StartSync() {
    if (m_serviceRun.Awaiting()) return;
    // The service sets the clock for a user who may not; only without it is the run ours.
    if (!m_sntp.AwaitingReply() && StartSyncThroughService()) return;
    // Opening again while a request is outstanding keeps that request's socket, so its
    // reply still arrives.
    if (!m_sntp.Create()) {
        m_platform.ShowMessageBox(kTextSocketError);
        return;
    }
    if (m_sntp.AwaitingReply()) return;
    // The bar hears of the request before it goes out. Told while the reply is on its way,
    // a slow or hung bar would hold up the reading of the reply and so falsify the
    // measured delay and offset, by seconds.
    SendToWindowTitled(kBarWindowTitle, kStatusOutstanding);
    if (m_sntp.SendRequest()) {
        OnRequestSent();
    } else {
        OnRequestFailed();
    }
}

bool CMainFrame::StartSyncThroughService() {
    switch (m_serviceRun.Begin(m_sntp.ServerAddress())) {
    case TimeServiceRun::Start::NoService: return false;
    case TimeServiceRun::Start::Sent:
        // The service measures, so no answer of the bar's can hold up the reading of a reply.
        NotifyStatus();
        OnRequestSent();
        break;
    case TimeServiceRun::Start::Unsendable: OnRequestFailed(); break;
    case TimeServiceRun::Start::Refused:
        m_lastSyncOk = false;
        LogPlainError(LocalNow(), m_serviceRun.Trouble());
        NotifyStatus();
        break;
    }
    return true;
}

void CMainFrame::OnRequestSent() {
    StartTimer(IDT_SYNC_TIMEOUT, kSyncTimeoutMs);
    m_syncPending = true;
    LogServerEntry(ActivityLog::Kind::Ordinary, LocalNow(), kLogRequestSent, kLogAddressEnd);
}

void CMainFrame::OnRequestFailed() {
    m_lastSyncOk = false;
    LogServerEntry(ActivityLog::Kind::Error, LocalNow(), kLogRequestFailed, kLogAddressEnd);
    NotifyStatus();
}

void CMainFrame::HandleSyncResult(const CivilTime& tickTime) {
    m_syncPending = false;
    m_platform.KillTimer(IDT_SYNC_TIMEOUT);
    if (m_serviceRun.Answered()) {
        FinishServiceRun(tickTime, m_serviceRun.TakeAnswer());
    } else {
        WriteMeasurement(tickTime, m_sntp.Delay(), m_sntp.Offset());
        m_lastSyncOk = true;  // a reply came, whether or not the clock gets set
        if (m_sntp.AdjustClock()) WriteAdjustment(m_sntp.Offset());
    }
    NotifyStatus();
    m_sntp.ClearResult();
    SendToSyncWindow(kCodeSyncResult, m_syncReplyText);
}

// The same entries as a run of our own, from what the service measured and did; a
// refusal becomes a failed run with an entry that says why.
void CMainFrame::FinishServiceRun(const CivilTime& tickTime, const std::optional<ServiceReply>& answer) {
    const bool measured = answer && HasMeasurement(answer->status);
    const bool adjusted = answer && answer->status == ServiceStatus::Adjusted;
    m_syncReplyText.clear();
    if (measured) {
        WriteMeasurement(tickTime, SecondsOf(answer->delayMicros), SecondsOf(answer->offsetMicros), answer->samples);
    }
    if (adjusted) WriteAdjustment(SecondsOf(answer->offsetMicros));
    m_lastSyncOk = adjusted || (answer && answer->status == ServiceStatus::Measured);
    if (m_lastSyncOk) return;
    const std::string why = ServiceRefusalText(answer, m_sntp.ServerAddress());
    ReportServiceTrouble(measured ? LocalNow() : tickTime, why);
}

void CMainFrame::WriteMeasurement(const CivilTime& at, double delay, double offset, unsigned samples) {
    TrimLog();
    m_logText.AppendStamp(ActivityLog::Kind::Ordinary, at);
    m_syncReplyText = FormatCivilTime(kCompanionStampFormat, at);
    const std::string measured = MeasurementText(delay, offset, samples);
    m_logText.Append(measured);
    m_syncReplyText += measured;
}

void CMainFrame::WriteAdjustment(double offset) {
    TrimLog();
    // Stamped after the change, so the entry shows the corrected time.
    const CivilTime adjustedAt = LocalNow();
    m_syncReplyText += FormatCivilTime(kCompanionStampFormat, adjustedAt);
    m_logText.AppendStamp(ActivityLog::Kind::Ordinary, adjustedAt);
    const std::string adjusted = FormatSeconds(kFormatAdjusted, offset);
    m_logText.Append(adjusted);
    m_syncReplyText += adjusted;
}

void CMainFrame::LogPlainError(const CivilTime& at, std::string_view text) {
    TrimLog();
    m_logText.AppendStamp(ActivityLog::Kind::Error, at);
    m_logText.Append(text);
    m_logText.Append(kLineEnd);
}

void CMainFrame::ReportServiceTrouble(const CivilTime& at, std::string_view text) {
    LogPlainError(at, text);
    m_syncReplyText += FormatCivilTime(kCompanionStampFormat, at);
    m_syncReplyText += text;
    m_syncReplyText += kLineEnd;
}

void CMainFrame::HandleSyncTimeout() {
    // An answer that came since the last tick is the tick's to handle.
    m_serviceRun.Poll();
    if (!SyncAwaitingReply()) return;
    const bool serviceSilent = m_serviceRun.Awaiting() && !m_serviceRun.ServerSilent();
    m_lastSyncOk = false;
    m_sntp.Abandon();
    m_serviceRun.Abandon();
    m_syncPending = false;

    const CivilTime now = LocalNow();
    if (serviceSilent) {
        m_syncReplyText.clear();
        ReportServiceTrouble(now, kTextServiceSilent);
    } else {
        m_syncReplyText = FormatCivilTime(kCompanionStampFormat, now) + kTextNoResponse;
        LogServerEntry(ActivityLog::Kind::Error, now, "", kLogNoResponse);
    }

    NotifyStatus();
    m_platform.KillTimer(IDT_SYNC_TIMEOUT);
    SendToSyncWindow(kCodeSyncResult, m_syncReplyText);
}

void CMainFrame::LogServerEntry(ActivityLog::Kind kind, const CivilTime& at, std::string_view beforeAddress,
                                std::string_view afterAddress) {
    TrimLog();
    m_logText.AppendStamp(kind, at);
    m_logText.Append(beforeAddress);
    m_logText.Append(m_sntp.ServerAddress());
    m_logText.Append(afterAddress);
}

void CMainFrame::StopSync() {
    m_sntp.Abandon();
    m_serviceRun.Abandon();
    m_syncPending = false;
    m_platform.KillTimer(IDT_SYNC_TIMEOUT);
}

} // namespace hv
