#include "app/MainFrame.h"
#include "app/TimerIds.h"

namespace hv {

namespace {
constexpr const char* kLogLineEnd = "\r\n";
} // namespace

void CMainFrame::OnResumedFromSleep() { RequestCatchUpRun(CatchUpRuns::Reason::AfterResume); }

void CMainFrame::OnNetworkConnectivity(bool connected) {
    if (m_catchUpRuns.NetworkReported(connected)) RequestCatchUpRun(CatchUpRuns::Reason::NetworkBack);
}

void CMainFrame::RequestCatchUpRun(CatchUpRuns::Reason reason) {
    if (!AutoSyncScheduled(m_settings.autoSync, m_settings.autoSyncStep)) return;
    if (m_catchUpRuns.Request(reason, m_platform.NowMicroseconds())) StartTimer(kTimerCatchUp, kCatchUpDelayMs);
}

void CMainFrame::RunCatchUp() {
    m_platform.KillTimer(kTimerCatchUp);
    const std::optional<CatchUpRuns::Reason> reason = m_catchUpRuns.Take(m_platform.NowMicroseconds());
    if (!reason || !AutoSyncScheduled(m_settings.autoSync, m_settings.autoSyncStep)) return;
    const char* why = *reason == CatchUpRuns::Reason::AfterResume ? kLogRunAfterResume : kLogRunNetworkBack;
    m_logText.Write(ActivityLog::Kind::Ordinary, LocalNow(), std::string(why) + kLogLineEnd);
    m_syncRun.Start();
    // The next automatic run is a whole period after this one.
    m_platform.KillTimer(kTimerAutoSync);
    StartAutoSyncTimer();
}

} // namespace hv
