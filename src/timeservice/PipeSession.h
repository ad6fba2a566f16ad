#pragma once
#include "timeservice/TimeService.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace hv {

// What one instance of the service's pipe does with one caller, apart from the I/O itself:
// a caller gets a short time to send its request and to take its reply; a request that did
// not fit the buffer is answered as too long; anything it sends while its exchange runs, or
// a hang-up, gives the exchange up. The host carries out the step each event returns.
class PipeSession {
public:
    // A caller gets this long after connecting to send its request...
    static constexpr std::int64_t kRequestDeadlineMs = 2000;
    // ...and this long to take its reply and hang up (the tray program looks once a second).
    static constexpr std::int64_t kReplyDeadlineMs = 5000;

    enum class State { Idle, Connecting, Reading, AwaitingExchange, Writing, Draining };
    enum class Step {
        None,   // nothing to start
        Read,   // start a read into the buffer
        Write,  // start writing Reply()
        Hangup, // cancel what is pending, disconnect, and listen again
    };

    // Waiting for a caller to connect.
    void Listening();
    // The instance cannot listen (the system refused): it stays out of use.
    void Unusable();
    Step Connected(TimeService::CallerId caller, std::int64_t nowMs);
    // A read completed: `bytes` is what arrived, `truncated` when the message went on
    // beyond the buffer.
    Step Received(std::span<const std::uint8_t> bytes, bool truncated, TimeService& service, std::int64_t nowMs);
    Step Written();
    // An operation failed: the caller has gone.
    Step Broken(TimeService& service);
    // The exchange's answer, for whichever caller it is.
    Step Deliver(const TimeService::Answer& answer, std::int64_t nowMs);
    // A caller past its deadline is dropped.
    Step Expire(TimeService& service, std::int64_t nowMs);

    State CurrentState() const { return m_state; }
    TimeService::CallerId Caller() const { return m_caller; }
    std::optional<std::int64_t> DeadlineMs() const { return m_deadlineMs; }
    const std::vector<std::uint8_t>& Reply() const { return m_reply; }

private:
    Step StartWrite(std::vector<std::uint8_t> reply, std::int64_t nowMs);
    Step Drop(TimeService& service);

    State m_state = State::Idle;
    TimeService::CallerId m_caller = 0;
    std::optional<std::int64_t> m_deadlineMs;
    std::vector<std::uint8_t> m_reply;
};

} // namespace hv
