#include "timeservice/win32/Win32PipeServer.h"

#include "framework/win32/Utf16.h"
#include "timeservice/ServiceIdentity.h"

#include <sddl.h>

namespace hv {
namespace {

// A caller gets this long after connecting to send its request...
constexpr std::int64_t kRequestDeadlineMs = 2000;
// ...and this long to take its reply and hang up (the tray program looks once a second).
constexpr std::int64_t kReplyDeadlineMs = 5000;
constexpr DWORD kPipeBufferBytes = static_cast<DWORD>(kMaxServiceMessageBytes);
constexpr int kConnectAttempts = 2;

} // namespace

Win32PipeServer::~Win32PipeServer() {
    for (Instance& instance : m_instances) {
        if (instance.pipe != INVALID_HANDLE_VALUE) {
            CancelPending(instance);
            CloseHandle(instance.pipe);
        }
        if (instance.event != nullptr) CloseHandle(instance.event);
    }
}

bool Win32PipeServer::Start(DWORD& error, std::int64_t nowMs) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(Widen(kPipeSecurityDescriptor).c_str(), SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
        error = GetLastError();
        return false;
    }
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    bool created = true;
    for (std::size_t i = 0; i < kInstances && created; ++i) {
        created = CreateInstance(m_instances[i], i == 0, &security);
        if (!created) error = GetLastError();
    }
    LocalFree(descriptor);
    if (!created) return false;
    for (std::size_t i = 0; i < kInstances; ++i) Listen(m_instances[i], i, nowMs);
    return true;
}

bool Win32PipeServer::CreateInstance(Instance& instance, bool first, void* security) {
    instance.event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (instance.event == nullptr) return false;
    // The first instance must be the pipe's first: if someone else made the pipe, this
    // fails and the service stops instead of serving beside an impostor. No caller from
    // another machine is ever accepted.
    const DWORD openMode = PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
    instance.pipe = CreateNamedPipeW(Widen(kTimeServicePipe).c_str(), openMode,
                                     PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                                     static_cast<DWORD>(kInstances), kPipeBufferBytes, kPipeBufferBytes, 0,
                                     static_cast<SECURITY_ATTRIBUTES*>(security));
    return instance.pipe != INVALID_HANDLE_VALUE;
}

std::vector<HANDLE> Win32PipeServer::Events() const {
    std::vector<HANDLE> events;
    for (const Instance& instance : m_instances) events.push_back(instance.event);
    return events;
}

void Win32PipeServer::Listen(Instance& instance, std::size_t index, std::int64_t nowMs) {
    instance.state = State::Connecting;
    instance.caller = 0;
    instance.deadlineMs.reset();
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        ResetEvent(instance.event);
        instance.overlapped = OVERLAPPED{};
        instance.overlapped.hEvent = instance.event;
        instance.failedAtOnce = false;
        if (ConnectNamedPipe(instance.pipe, &instance.overlapped)) return;  // the event is set
        switch (GetLastError()) {
        case ERROR_IO_PENDING: return;
        case ERROR_PIPE_CONNECTED: Connected(instance, index, nowMs); return;
        case ERROR_NO_DATA: DisconnectNamedPipe(instance.pipe); break;  // came and went already
        default: instance.state = State::Idle; return;
        }
    }
    instance.state = State::Idle;
}

void Win32PipeServer::Connected(Instance& instance, std::size_t index, std::int64_t nowMs) {
    instance.caller = (static_cast<TimeService::CallerId>(index + 1) << 32) | ++m_connections;
    instance.deadlineMs = nowMs + kRequestDeadlineMs;
    instance.state = State::Reading;
    Read(instance);
}

void Win32PipeServer::Read(Instance& instance) {
    ResetEvent(instance.event);
    instance.overlapped = OVERLAPPED{};
    instance.overlapped.hEvent = instance.event;
    instance.failedAtOnce = false;
    if (ReadFile(instance.pipe, instance.buffer.data(), static_cast<DWORD>(instance.buffer.size()), nullptr,
                 &instance.overlapped)) {
        return;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING && error != ERROR_MORE_DATA) FailedAtOnce(instance);
}

void Win32PipeServer::Write(Instance& instance, std::vector<std::uint8_t> reply, std::int64_t nowMs) {
    CancelPending(instance);
    instance.reply = std::move(reply);
    instance.state = State::Writing;
    instance.deadlineMs = nowMs + kReplyDeadlineMs;
    ResetEvent(instance.event);
    instance.overlapped = OVERLAPPED{};
    instance.overlapped.hEvent = instance.event;
    instance.failedAtOnce = false;
    if (!WriteFile(instance.pipe, instance.reply.data(), static_cast<DWORD>(instance.reply.size()), nullptr,
                   &instance.overlapped) &&
        GetLastError() != ERROR_IO_PENDING) {
        FailedAtOnce(instance);
    }
}

// No I/O was queued, so nothing will signal the event: signal it here, so that the
// instance moves on the same way as after any failed operation.
void Win32PipeServer::FailedAtOnce(Instance& instance) {
    instance.failedAtOnce = true;
    SetEvent(instance.event);
}

void Win32PipeServer::OnSignalled(std::size_t index, TimeService& service, std::int64_t nowMs) {
    Instance& instance = m_instances[index];
    DWORD got = 0;
    bool done = false;
    DWORD error = ERROR_BROKEN_PIPE;
    if (!instance.failedAtOnce) {
        done = GetOverlappedResult(instance.pipe, &instance.overlapped, &got, FALSE) != FALSE;
        if (!done) error = GetLastError();
        if (!done && error == ERROR_IO_INCOMPLETE) return;
    }
    instance.failedAtOnce = false;
    // A message longer than the buffer arrives in pieces; its first piece is all we read.
    const bool partial = !done && error == ERROR_MORE_DATA;
    switch (instance.state) {
    case State::Connecting:
        if (done) {
            Connected(instance, index, nowMs);
        } else {
            Hangup(instance, index, service, nowMs);
        }
        break;
    case State::Reading:
        if (done || partial) {
            HandleRequest(instance, partial ? instance.buffer.size() : got, service, nowMs);
        } else {
            Hangup(instance, index, service, nowMs);
        }
        break;
    case State::Writing:
        if (done) {
            // The reply waits in the pipe until the caller reads it; disconnecting now would
            // throw it away. So wait for the caller to hang up, reading (and dropping)
            // anything else it sends, until the deadline.
            instance.state = State::Draining;
            Read(instance);
        } else {
            Hangup(instance, index, service, nowMs);
        }
        break;
    case State::Draining:
        if (done || partial) {
            Read(instance);
        } else {
            Hangup(instance, index, service, nowMs);
        }
        break;
    case State::AwaitingExchange:  // the caller hung up, or spoke out of turn
        Hangup(instance, index, service, nowMs);
        break;
    case State::Idle: break;
    }
}

void Win32PipeServer::HandleRequest(Instance& instance, std::size_t length, TimeService& service,
                                    std::int64_t nowMs) {
    std::optional<std::vector<std::uint8_t>> reply =
        service.OnRequest(instance.caller, std::span(instance.buffer).first(length), nowMs);
    if (reply) {
        Write(instance, std::move(*reply), nowMs);
        return;
    }
    // The exchange answers later; a read stays pending meanwhile to notice a hang-up.
    instance.state = State::AwaitingExchange;
    instance.deadlineMs.reset();
    Read(instance);
}

void Win32PipeServer::Deliver(const TimeService::Answer& answer, std::int64_t nowMs) {
    for (Instance& instance : m_instances) {
        if (instance.state == State::AwaitingExchange && instance.caller == answer.caller) {
            Write(instance, answer.reply, nowMs);
            return;
        }
    }
}

std::optional<std::int64_t> Win32PipeServer::ExpireCallers(TimeService& service, std::int64_t nowMs) {
    std::optional<std::int64_t> next;
    for (std::size_t i = 0; i < kInstances; ++i) {
        Instance& instance = m_instances[i];
        if (!instance.deadlineMs) continue;
        if (*instance.deadlineMs <= nowMs) {
            Hangup(instance, i, service, nowMs);
        } else if (!next || *instance.deadlineMs < *next) {
            next = instance.deadlineMs;
        }
    }
    return next;
}

void Win32PipeServer::Hangup(Instance& instance, std::size_t index, TimeService& service, std::int64_t nowMs) {
    CancelPending(instance);
    if (instance.state == State::AwaitingExchange) service.OnCallerGone(instance.caller);
    DisconnectNamedPipe(instance.pipe);
    Listen(instance, index, nowMs);
}

bool Win32PipeServer::Pending(const Instance& instance) const {
    return instance.state != State::Idle && !instance.failedAtOnce && !HasOverlappedIoCompleted(&instance.overlapped);
}

void Win32PipeServer::CancelPending(Instance& instance) {
    if (!Pending(instance)) return;
    CancelIoEx(instance.pipe, &instance.overlapped);
    DWORD ignored = 0;
    // Until the cancelled operation is done the buffer and the OVERLAPPED are still the system's.
    GetOverlappedResult(instance.pipe, &instance.overlapped, &ignored, TRUE);
}

} // namespace hv
