#include "sync/SampleBurst.h"

#include "framework/TimeUnits.h"
#include "sync/NtpTime.h"

#include <algorithm>

namespace hv {

SampleBurst::SampleBurst(SntpClient& client, ClockRole& clock, int samples, std::int64_t windowMs)
    : m_client(client), m_clock(clock), m_maxSamples(std::max(samples, 1)), m_windowMs(windowMs) {}

bool SampleBurst::Start(std::int64_t nowMs, std::optional<std::int64_t> clockAtNowMicros) {
    m_samples.clear();
    m_requests = 0;
    m_endMs = nowMs + m_windowMs;
    m_running = Send(nowMs, clockAtNowMicros.value_or(m_clock.NowMicroseconds()));
    return m_running;
}

bool SampleBurst::Send(std::int64_t nowMs, std::int64_t clockAtNowMicros) {
    // Opening the socket and drawing the request's random bits can take milliseconds (more
    // the first time, or on a busy machine); the next request waits from when this one left.
    if (!m_client.Create() || !m_client.SendRequest()) return false;
    const double clockAtNow = NtpSecondsFromUnixMicros(clockAtNowMicros);
    const auto sendingMs = static_cast<std::int64_t>((m_client.SendTime() - clockAtNow) * kMillisPerSecond);
    m_lastSendMs = nowMs + std::clamp<std::int64_t>(sendingMs, 0, m_windowMs); // a stepped clock counts nothing
    ++m_requests;
    return true;
}

bool SampleBurst::MoreToSend() const { return m_requests < m_maxSamples && NextSendMs() < m_endMs; }

void SampleBurst::Poll(std::int64_t nowMs) {
    if (!m_running) return;
    const bool awaiting = m_client.AwaitingReply();
    const bool sampleOpen = m_samples.empty() || m_samples.back().number != m_requests;
    if (!awaiting && sampleOpen) {
        m_samples.push_back({m_requests, m_client.Delay(), m_client.Offset()});
        if (m_samples.back().delay < kNearbyDelaySeconds) return Finish();
    }
    if (!MoreToSend()) {
        if (!awaiting || nowMs >= m_endMs) Finish();
        return;
    }
    if (nowMs < NextSendMs()) return;
    // A request still unanswered when the next is due is lost; its late reply, if any,
    // finds its socket closed.
    m_client.Abandon();
    if (!Send(nowMs, m_clock.NowMicroseconds())) Finish();
}

std::int64_t SampleBurst::NextPollMs() const { return MoreToSend() ? NextSendMs() : m_endMs; }

void SampleBurst::Finish() {
    m_running = false;
    m_client.Abandon();
    if (const auto best = Best()) m_client.KeepResult(best->delay, best->offset);
}

void SampleBurst::Abandon() {
    m_running = false;
    m_client.Abandon();
}

std::optional<BurstSample> SampleBurst::Best() const {
    const auto shortest =
        std::min_element(m_samples.begin(), m_samples.end(),
                         [](const BurstSample& a, const BurstSample& b) { return a.delay < b.delay; });
    if (shortest == m_samples.end()) return std::nullopt;
    return *shortest;
}

} // namespace hv
