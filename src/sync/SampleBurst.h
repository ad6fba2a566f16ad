#pragma once
#include "framework/ClockRole.h"
#include "sync/SntpClient.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace hv {

// One exchange of a burst that passed every check: its place in the burst (from 1) and
// what it measured, in seconds.
struct BurstSample {
    int number = 0;
    double delay = 0.0;
    double offset = 0.0;
};

// A few exchanges with one server, of which the one with the shortest round trip is
// believed. On a path with queues the one-way delays vary from packet to packet, and a
// single exchange carries half that variation into the offset; the least-delayed exchange
// is the one least disturbed. Requests go out one spacing apart, the most a public server
// accepts from a client, and each waits for its reply until the next one leaves; a reply
// the client refuses is no sample. A round trip under a millisecond is a server on the
// local network, where more samples gain nothing, so the burst ends there.
//
// Times are milliseconds of a clock that never steps. The owner calls Poll when a reply
// may have come and at NextPollMs at the latest. When the burst is over the client holds
// the chosen sample's result, so its AdjustClock sets the clock from that sample.
class SampleBurst {
public:
    static constexpr std::int64_t kSpacingMs = 2000;
    // The owners' clock (the tick count) advances in steps of up to this much, so a
    // request due by its reading could leave that much early: it waits this much longer.
    static constexpr std::int64_t kClockGrainMs = 16;
    static constexpr double kNearbyDelaySeconds = 0.001;

    // At most `samples` requests; nothing is sent or awaited `windowMs` after the first.
    // The clock times each send: the spacing counts from when a request left.
    SampleBurst(SntpClient& client, ClockRole& clock, int samples, std::int64_t windowMs);

    // Sends the first request; false when it could not be sent and nothing is outstanding.
    // `nowMs`, here and in Poll, is read just before the call, unless `clockAtNowMicros`
    // gives the clock's reading when it was read, for an owner that did work in between (the
    // time since counts before the first request leaves); the window still ends `windowMs`
    // after `nowMs`.
    bool Start(std::int64_t nowMs, std::optional<std::int64_t> clockAtNowMicros = std::nullopt);
    // Takes a reply that has been read, and sends the next request when its turn has come.
    void Poll(std::int64_t nowMs);
    bool Running() const { return m_running; }
    std::int64_t NextPollMs() const;
    // Ends the burst at once; nothing more is sent and the client's result is left alone.
    void Abandon();

    int Requests() const { return m_requests; }
    const std::vector<BurstSample>& Samples() const { return m_samples; }
    // The sample with the shortest round trip; nothing when no reply was taken.
    std::optional<BurstSample> Best() const;

private:
    bool Send(std::int64_t nowMs, std::int64_t clockAtNowMicros);
    bool MoreToSend() const;
    std::int64_t NextSendMs() const { return m_lastSendMs + kSpacingMs + kClockGrainMs; }
    void Finish();

    SntpClient& m_client;
    ClockRole& m_clock;
    int m_maxSamples;
    std::int64_t m_windowMs;
    std::int64_t m_endMs = 0;
    std::int64_t m_lastSendMs = 0;
    int m_requests = 0;
    bool m_running = false;
    std::vector<BurstSample> m_samples;
};

} // namespace hv
