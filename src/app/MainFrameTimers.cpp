#include "app/MainFrame.h"
#include "app/TimerIds.h"

namespace hv {

void CMainFrame::OnTimer(int timerId) {
    switch (timerId) {
    case IDT_SYNC_TIMEOUT: m_syncRun.OnTimeout(); break;
    case IDT_TICK: OnTick(); break;
    case IDT_AUTOSYNC: m_syncRun.Start(); break;
    case IDT_TRAY_RETRY: TryAddTrayIcon(); break;
    case IDT_CATCH_UP: RunCatchUp(); break;
    default: break;
    }
}

void CMainFrame::OnTick() {
    const std::int64_t utcNow = SplitUnixMicros(m_platform.NowMicroseconds()).seconds;
    const CivilTime now = m_platform.ToLocalTime(utcNow);
    // The first tick has no predecessor: take it that the second before was seen.
    const TickSpan tick{UnixSecondsFromCivil(now), utcNow, utcNow - m_lastTickUtc.value_or(utcNow - 1)};
    m_lastTickUtc = utcNow;

    if (m_settings.shutdown.CountDownOnTick(tick)) RunShutdownCountdown();

    if (m_settings.bellEnabled != 0 && m_chimeClock.IsDue(tick, m_settings.chimeHourly)) {
        PlayChime(m_platform, m_settings.bellFile);
    }

    m_syncRun.OnTick(now);
}

} // namespace hv
