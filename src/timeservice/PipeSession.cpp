#include "timeservice/PipeSession.h"

namespace hv {

void PipeSession::Listening() {
    m_state = State::Connecting;
    m_caller = 0;
    m_deadlineMs.reset();
    m_reply.clear();
}

void PipeSession::Unusable() {
    m_state = State::Idle;
    m_deadlineMs.reset();
}

PipeSession::Step PipeSession::Connected(TimeService::CallerId caller, std::int64_t nowMs) {
    if (m_state != State::Connecting) return Step::None;
    m_caller = caller;
    m_deadlineMs = nowMs + kRequestDeadlineMs;
    m_state = State::Reading;
    return Step::Read;
}

PipeSession::Step PipeSession::Received(std::span<const std::uint8_t> bytes, bool truncated, TimeService& service,
                                        std::int64_t nowMs) {
    switch (m_state) {
    case State::Reading: {
        // Only the start of a longer message arrived: it is refused whole, unread, never
        // taken for the shorter request it may begin with.
        if (truncated) {
            ServiceReply tooLong;
            tooLong.status = ServiceStatus::Malformed;
            tooLong.fault = RequestFault::TooLong;
            return StartWrite(EncodeReply(tooLong), nowMs);
        }
        auto reply = service.OnRequest(m_caller, bytes, nowMs);
        if (reply) return StartWrite(std::move(*reply), nowMs);
        // The exchange answers later; a read stays pending meanwhile to notice a hang-up.
        m_state = State::AwaitingExchange;
        m_deadlineMs.reset();
        return Step::Read;
    }
    case State::Draining: return Step::Read;            // anything after the reply is dropped
    case State::AwaitingExchange: return Drop(service); // one request per connection
    default: return Step::None;
    }
}

PipeSession::Step PipeSession::Written() {
    if (m_state != State::Writing) return Step::None;
    // The reply waits in the pipe until the caller reads it; disconnecting now would throw
    // it away. So wait for the caller to hang up, until the deadline.
    m_state = State::Draining;
    return Step::Read;
}

PipeSession::Step PipeSession::Broken(TimeService& service) {
    if (m_state == State::Idle) return Step::None;
    return Drop(service);
}

PipeSession::Step PipeSession::Deliver(const TimeService::Answer& answer, std::int64_t nowMs) {
    if (m_state != State::AwaitingExchange || m_caller != answer.caller) return Step::None;
    return StartWrite(answer.reply, nowMs);
}

PipeSession::Step PipeSession::Expire(TimeService& service, std::int64_t nowMs) {
    if (!m_deadlineMs || *m_deadlineMs > nowMs) return Step::None;
    return Drop(service);
}

PipeSession::Step PipeSession::StartWrite(std::vector<std::uint8_t> reply, std::int64_t nowMs) {
    m_reply = std::move(reply);
    m_state = State::Writing;
    m_deadlineMs = nowMs + kReplyDeadlineMs;
    return Step::Write;
}

PipeSession::Step PipeSession::Drop(TimeService& service) {
    if (m_state == State::AwaitingExchange) service.OnCallerGone(m_caller);
    Listening();
    return Step::Hangup;
}

} // namespace hv
