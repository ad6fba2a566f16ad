#pragma once
#include <cstdint>
#include <optional>

namespace hv {

// Automatic runs outside the period: after the system resumes from sleep (a clock that
// slept for hours wakes off by seconds, and the next period may be hours away) and when the
// network comes back after being down. Both can come in bursts (a laptop that sleeps on a
// flaky network), so at most one such run is made per five minutes.
class CatchUpRuns {
public:
    enum class Reason { AfterResume, NetworkBack };

    // Asks for a run; false when one is asked for already or one ran too recently, so that
    // the caller need not schedule another.
    bool Request(Reason reason, std::int64_t nowMicros);
    // The network's state as the system reports it, repeats included: true when it has come
    // back after being down (not at the first report, which only says how things are).
    bool NetworkReported(bool connected);
    // The run asked for is due: its reason, or nothing when none is asked for or another
    // ran too recently. Either way the request is used up.
    std::optional<Reason> Take(std::int64_t nowMicros);

private:
    bool RanRecently(std::int64_t nowMicros) const;

    std::optional<Reason> m_requested;
    std::optional<std::int64_t> m_lastRunMicros;
    std::optional<bool> m_networkUp;
};

// The network adapter needs a moment after a resume, and a network just back its name
// service, before a request can get through.
constexpr unsigned kCatchUpDelayMs = 10000;
constexpr std::int64_t kCatchUpSpacingMicros = 5LL * 60 * 1000000;

// Why an extra run started, for the log.
constexpr const char* kLogRunAfterResume = "Automatic synchronisation after resume";
constexpr const char* kLogRunNetworkBack = "Automatic synchronisation, network back";

} // namespace hv
