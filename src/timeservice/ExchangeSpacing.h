#pragma once
#include <cstdint>
#include <optional>

namespace hv {

// Keeps the time service from flooding a time server, whoever asks and however often:
// a short burst is allowed (a machine just started, a user trying a server twice), then at
// most one exchange per interval, the etiquette public time servers ask of a client.
// Times are milliseconds of a clock that never steps (the service changes the system
// clock, which must not move these turns).
class ExchangeSpacing {
public:
    static constexpr int kBurst = 3;
    static constexpr std::int64_t kIntervalMs = 60'000;

    // Takes a turn and says true when an exchange may start now.
    bool TryStart(std::int64_t nowMs);
    // Whole seconds, rounded up, until TryStart would say true; 0 when it would now.
    std::uint32_t SecondsUntilNext(std::int64_t nowMs) const;

private:
    // The moment the turns taken so far would have used up, were they spaced one interval
    // apart (the "theoretical arrival time" of the generic cell rate algorithm).
    std::optional<std::int64_t> m_spentUntilMs;
};

} // namespace hv
