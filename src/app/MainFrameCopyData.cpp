#include "app/CompanionProtocol.h"
#include "app/MainFrame.h"
#include "app/TimerIds.h"

namespace hv {

namespace {
constexpr const char* kTraceCommandNotTaken = "Horvane: a companion's command did not reach the main window";
} // namespace

bool CMainFrame::OnCopyData(std::uintptr_t code) {
    const WindowId sync = m_platform.FindWindowByTitle(kSyncWindowTitle);
    switch (code) {
    case kCodeServerAddress:
        if (sync != 0) SendToWindow(sync, kSyncWindowTitle, kCodeServerAddress, m_sntp.ServerAddress());
        return true;
    case kCodeStartSync: {
        if (sync == 0) return true;
        if (SyncAwaitingReply()) {
            SendToWindow(sync, kSyncWindowTitle, kCodeStartSync, kTextSyncRunning);
            return true;
        }
        StartSync();
        const std::string stamp = FormatCivilTime(kCompanionStampFormat, LocalNow());
        if (SyncAwaitingReply()) {
            m_syncReplyText = stamp + kTextRequestSent;
            SendToWindow(sync, kSyncWindowTitle, kCodeStartSync, m_syncReplyText);
        } else {
            SendToWindow(sync, kSyncWindowTitle, kCodeSyncResult, stamp + kTextRequestFailed);
        }
        return true;
    }
    case kCodeStopSync:
        if (sync == 0) return true;
        StopSync();
        SendToWindow(sync, kSyncWindowTitle, kCodeStopSync,
                                FormatCivilTime(kStopStampFormat, LocalNow()) + kTextSyncStopped);
        return true;
    default:
        break;
    }
    if (const int command = CommandForCopyDataCode(code)) {
        if (!m_platform.SendCommand(m_platform.MainWindow(), command)) m_platform.Trace(kTraceCommandNotTaken);
        return true;
    }
    return false;
}

void CMainFrame::NotifyStatus() {
    const std::uintptr_t status = SyncAwaitingReply() ? kStatusOutstanding
                                  : m_lastSyncOk         ? kStatusOk
                                                         : kStatusFailed;
    SendToWindowTitled(kBarWindowTitle, status);
    if (m_logView.IsOpen()) {
        TrimLog();
        m_logView.Refresh(m_logText.Text());
    }
}

} // namespace hv
