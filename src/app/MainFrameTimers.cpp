#include "app/MainFrame.h"
#include "app/TimerIds.h"

namespace hv {

void CMainFrame::OnTimer(int timerId) {
    switch (timerId) {
    case kTimerSyncTimeout: m_syncRun.OnTimeout(); break;
    case kTimerTick: OnTick(); break;
    case kTimerAutoSync: m_syncRun.Start(); break;
    case kTimerTrayRetry: TryAddTrayIcon(); break;
    case kTimerCatchUp: RunCatchUp(); break;
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
