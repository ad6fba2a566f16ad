#include "app/CommandIds.h"
#include "app/MainFrame.h"
#include "protocol/CompanionProtocol.h"

namespace hv {

namespace {
constexpr const char* kTraceCommandNotTaken = "Horvane: a companion's command did not reach the main window";

// The menu command a copy-data code stands for; 0 when it stands for none.
int CommandForCopyDataCode(std::uintptr_t code) {
    switch (code) {
    case kCodePreferences: return kCmdPreferences;
    case kCodeSynchronizeTime: return kCmdSynchronizeTime;
    case kCodeWorldClock: return kCmdWorldClock;
    case kCodeCalendar: return kCmdCalendar;
    case kCodeShutDown: return kCmdShutDown;
    case kCodeHelp: return kCmdHelp;
    case kCodeViewLog: return kCmdViewLog;
    default: return 0;
    }
}
} // namespace

bool CMainFrame::OnCopyData(std::uintptr_t code) {
    // The "sync" window's requests are answered only while it is there to hear the answer.
    const bool syncWindowOpen = m_platform.FindWindowByTitle(kSyncWindowTitle) != 0;
    switch (code) {
    case kCodeServerAddress:
        if (syncWindowOpen) SendToWindowTitled(kSyncWindowTitle, kCodeServerAddress, m_syncRun.ServerAddress());
        return true;
    case kCodeStartSync:
        if (syncWindowOpen) m_syncRun.StartForSyncWindow();
        return true;
    case kCodeStopSync:
        if (syncWindowOpen) m_syncRun.StopForSyncWindow();
        return true;
    default: break;
    }
    if (const int command = CommandForCopyDataCode(code)) {
        // Posted, not run here: the companion waits for this answer, and a dialog the command
        // opens would keep it waiting until closed.
        if (!m_platform.PostCommand(m_platform.MainWindow(), command)) m_platform.Trace(kTraceCommandNotTaken);
        return true;
    }
    return false;
}

} // namespace hv
