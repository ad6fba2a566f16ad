#include "app/CompanionProtocol.h"
#include "app/MainFrame.h"
#include "app/TimerIds.h"
#include "settings/ServerList.h"

#include <cstdio>

namespace hv {

namespace {
constexpr const char* kTextSocketError = "Error to create socket!";

std::string FormatSeconds(const char* format, double a, double b = 0.0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}
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
        StartTimer(IDT_SYNC_TIMEOUT, kSyncTimeoutMs);
        m_syncPending = true;
        LogServerEntry(ActivityLog::Kind::Ordinary, LocalNow(), kLogRequestSent, kLogAddressEnd);
    } else {
        m_lastSyncOk = false;
        LogServerEntry(ActivityLog::Kind::Error, LocalNow(), kLogRequestFailed, kLogAddressEnd);
        NotifyStatus();
    }
}

void CMainFrame::HandleSyncResult(const CivilTime& tickTime) {
    m_syncPending = false;
    m_platform.KillTimer(IDT_SYNC_TIMEOUT);

    TrimLog();
    m_logText.AppendStamp(ActivityLog::Kind::Ordinary, tickTime);
    m_syncReplyText = FormatCivilTime(kCompanionStampFormat, tickTime);
    const std::string measured = FormatSeconds(kFormatDelayOffset, m_sntp.Delay(), m_sntp.Offset());
    m_logText.Append(measured);
    m_syncReplyText += measured;
    m_lastSyncOk = true;

    if (m_sntp.AdjustClock()) {
        TrimLog();
        // Stamped after the change, so the entry shows the corrected time.
        const CivilTime adjustedAt = LocalNow();
        m_syncReplyText += FormatCivilTime(kCompanionStampFormat, adjustedAt);
        m_logText.AppendStamp(ActivityLog::Kind::Ordinary, adjustedAt);
        const std::string adjusted = FormatSeconds(kFormatAdjusted, m_sntp.Offset());
        m_logText.Append(adjusted);
        m_syncReplyText += adjusted;
    }
    NotifyStatus();
    m_sntp.ClearResult();
    SendToSyncWindow(kCodeSyncResult, m_syncReplyText);
}

void CMainFrame::HandleSyncTimeout() {
    if (!m_sntp.AwaitingReply()) return;
    m_lastSyncOk = false;
    m_sntp.Abandon();
    m_syncPending = false;

    const CivilTime now = LocalNow();
    m_syncReplyText = FormatCivilTime(kCompanionStampFormat, now) + kTextNoResponse;
    LogServerEntry(ActivityLog::Kind::Error, now, "", kLogNoResponse);

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
    m_syncPending = false;
    m_platform.KillTimer(IDT_SYNC_TIMEOUT);
}

} // namespace hv
