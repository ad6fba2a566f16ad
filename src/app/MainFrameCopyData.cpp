#include "app/CompanionProtocol.h"
#include "app/MainFrame.h"
#include "app/TimerIds.h"

namespace hv {

bool CMainFrame::OnCopyData(std::uintptr_t code) {
    const WindowId sync = m_platform.FindWindowByTitle(kSyncWindowTitle);
    switch (code) {
    case kCodeServerAddress:
        if (sync != 0) m_platform.SendCopyData(sync, kCodeServerAddress, m_sntp.ServerAddress());
        return true;
    case kCodeStartSync: {
        if (sync == 0) return true;
        if (SyncAwaitingReply()) {
            m_platform.SendCopyData(sync, kCodeStartSync, kTextSyncRunning);
            return true;
        }
        StartSync();
        const std::string stamp = FormatCivilTime(kCompanionStampFormat, LocalNow());
        if (SyncAwaitingReply()) {
            m_syncReplyText = stamp + kTextRequestSent;
            m_platform.SendCopyData(sync, kCodeStartSync, m_syncReplyText);
        } else {
            m_platform.SendCopyData(sync, kCodeSyncResult, stamp + kTextRequestFailed);
        }
        return true;
    }
    case kCodeStopSync:
        if (sync == 0) return true;
        StopSync();
        m_platform.SendCopyData(sync, kCodeStopSync,
                                FormatCivilTime(kStopStampFormat, LocalNow()) + kTextSyncStopped);
        return true;
    default:
        break;
    }
    if (const int command = CommandForCopyDataCode(code)) {
        m_platform.SendCommand(m_platform.MainWindow(), command);
        return true;
    }
    return false;
}

void CMainFrame::NotifyStatus() {
    if (WindowId bar = m_platform.FindWindowByTitle(kBarWindowTitle)) {
        const std::uintptr_t status = SyncAwaitingReply() ? kStatusOutstanding
                                      : m_lastSyncOk         ? kStatusOk
                                                             : kStatusFailed;
        m_platform.SendCopyData(bar, status, {});
    }
}

} // namespace hv
