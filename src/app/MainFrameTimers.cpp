#include "app/MainFrame.h"
#include "app/TimerIds.h"

namespace hv {

void CMainFrame::OnTimer(int timerId) {
    switch (timerId) {
    case IDT_SYNC_TIMEOUT: HandleSyncTimeout(); break;
    case IDT_TICK: OnTick(); break;
    case IDT_AUTOSYNC: StartSync(); break;
    default: break;
    }
}

void CMainFrame::OnTick() {
    const CivilTime now = LocalNow();
    const LocalSeconds nowSeconds = UnixSecondsFromCivil(now);
    // The first tick has no predecessor: take it that the second before was seen.
    const TickSpan tick{m_lastTickLocal.value_or(nowSeconds - 1), nowSeconds};
    m_lastTickLocal = nowSeconds;

    if (m_settings.shutdown.CountDownOnTick(tick)) RunShutdownCountdown();

    if (m_settings.bellEnabled != 0 && m_chimeClock.IsDue(tick, m_settings.chimeHourly)) {
        PlayChime(m_platform, m_settings.bellFile);
    }

    if (m_syncPending) {
        m_serviceRun.Poll();
        if (!SyncAwaitingReply()) HandleSyncResult(now);
    }
}

} // namespace hv
