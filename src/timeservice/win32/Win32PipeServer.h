#pragma once
#include "framework/win32/Win32Api.h"
#include "timeservice/TimeService.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hv {

// The service's end of its pipe: a few instances, each serving one caller at a time, one
// request and one reply per connection, all with overlapped I/O on the service's one thread.
// A caller gets a short time to send its request and to take its reply; a caller who hangs
// up while its exchange runs gives the exchange up.
class Win32PipeServer {
public:
    static constexpr std::size_t kInstances = 4;

    Win32PipeServer() = default;
    ~Win32PipeServer();
    Win32PipeServer(const Win32PipeServer&) = delete;
    Win32PipeServer& operator=(const Win32PipeServer&) = delete;

    // Creates the instances. False (with the system's error) when the pipe exists already:
    // some other process made it first and the service must not run beside it.
    bool Start(DWORD& error, std::int64_t nowMs);
    // One event per instance, signalled when its I/O completes.
    std::vector<HANDLE> Events() const;
    // Moves the instance on after its event was signalled.
    void OnSignalled(std::size_t instance, TimeService& service, std::int64_t nowMs);
    // Sends an exchange's answer to the caller still waiting for it.
    void Deliver(const TimeService::Answer& answer, std::int64_t nowMs);
    // Drops callers that took too long; returns the earliest deadline still ahead.
    std::optional<std::int64_t> ExpireCallers(TimeService& service, std::int64_t nowMs);

private:
    enum class State { Idle, Connecting, Reading, AwaitingExchange, Writing, Draining };

    struct Instance {
        HANDLE pipe = INVALID_HANDLE_VALUE;
        HANDLE event = nullptr;
        OVERLAPPED overlapped{};
        State state = State::Idle;
        TimeService::CallerId caller = 0;
        std::optional<std::int64_t> deadlineMs;
        bool failedAtOnce = false;  // the last call failed without queueing any I/O
        // One byte more than any request, so that a longer one shows as such.
        std::array<std::uint8_t, kMaxServiceMessageBytes + 1> buffer{};
        std::vector<std::uint8_t> reply;
    };

    bool CreateInstance(Instance& instance, bool first, void* security);
    void Listen(Instance& instance, std::size_t index, std::int64_t nowMs);
    void Connected(Instance& instance, std::size_t index, std::int64_t nowMs);
    void Read(Instance& instance);
    void FailedAtOnce(Instance& instance);
    void Write(Instance& instance, std::vector<std::uint8_t> reply, std::int64_t nowMs);
    void HandleRequest(Instance& instance, std::size_t length, TimeService& service, std::int64_t nowMs);
    // Cancels what is pending, tells the service a waiting caller has gone, and listens again.
    void Hangup(Instance& instance, std::size_t index, TimeService& service, std::int64_t nowMs);
    void CancelPending(Instance& instance);
    bool Pending(const Instance& instance) const;

    std::array<Instance, kInstances> m_instances{};
    std::uint32_t m_connections = 0;
};

} // namespace hv
