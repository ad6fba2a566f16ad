#pragma once
#include "framework/win32/Win32Api.h"
#include "timeservice/PipeSession.h"
#include "timeservice/TimeService.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hv {

// The service's end of its pipe: a few instances, each serving one caller at a time, one
// request and one reply per connection, all with overlapped I/O on the service's one thread.
// What an instance does next is its PipeSession's decision; this carries it out.
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
    struct Instance {
        HANDLE pipe = INVALID_HANDLE_VALUE;
        HANDLE event = nullptr;
        OVERLAPPED overlapped{};
        PipeSession session;
        bool failedAtOnce = false; // the last call failed without queueing any I/O
        // One byte more than any request, so that a longer one shows as such.
        std::array<std::uint8_t, kMaxServiceMessageBytes + 1> buffer{};
    };

    bool CreateInstance(Instance& instance, bool first, void* security);
    void Listen(Instance& instance, std::size_t index, std::int64_t nowMs);
    void Carry(Instance& instance, std::size_t index, PipeSession::Step step, std::int64_t nowMs);
    void Read(Instance& instance);
    void FailedAtOnce(Instance& instance);
    void Write(Instance& instance);
    TimeService::CallerId NextCaller(std::size_t index);
    void CancelPending(Instance& instance);
    bool Pending(const Instance& instance) const;

    std::array<Instance, kInstances> m_instances{};
    std::uint32_t m_connections = 0;
};

} // namespace hv
