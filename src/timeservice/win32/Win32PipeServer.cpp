#include "timeservice/win32/Win32PipeServer.h"

#include "framework/win32/Utf16.h"
#include "timeservice/ServiceIdentity.h"

#include <sddl.h>

namespace hv {
namespace {

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
    instance.session.Listening();
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        ResetEvent(instance.event);
        instance.overlapped = OVERLAPPED{};
        instance.overlapped.hEvent = instance.event;
        instance.failedAtOnce = false;
        if (ConnectNamedPipe(instance.pipe, &instance.overlapped)) return; // the event is set
        switch (GetLastError()) {
        case ERROR_IO_PENDING: return;
        case ERROR_PIPE_CONNECTED:
            Carry(instance, index, instance.session.Connected(NextCaller(index), nowMs), nowMs);
            return;
        case ERROR_NO_DATA: DisconnectNamedPipe(instance.pipe); break; // came and went already
        default: instance.session.Unusable(); return;
        }
    }
    instance.session.Unusable();
}

TimeService::CallerId Win32PipeServer::NextCaller(std::size_t index) {
    return (static_cast<TimeService::CallerId>(index + 1) << 32) | ++m_connections;
}

void Win32PipeServer::Carry(Instance& instance, std::size_t index, PipeSession::Step step, std::int64_t nowMs) {
    switch (step) {
    case PipeSession::Step::None: break;
    case PipeSession::Step::Read: Read(instance); break;
    case PipeSession::Step::Write: Write(instance); break;
    case PipeSession::Step::Hangup:
        CancelPending(instance);
        DisconnectNamedPipe(instance.pipe);
        Listen(instance, index, nowMs);
        break;
    }
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

void Win32PipeServer::Write(Instance& instance) {
    CancelPending(instance);
    const std::vector<std::uint8_t>& reply = instance.session.Reply();
    ResetEvent(instance.event);
    instance.overlapped = OVERLAPPED{};
    instance.overlapped.hEvent = instance.event;
    instance.failedAtOnce = false;
    if (!WriteFile(instance.pipe, reply.data(), static_cast<DWORD>(reply.size()), nullptr, &instance.overlapped) &&
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
    const bool truncated = !done && error == ERROR_MORE_DATA;
    PipeSession& session = instance.session;
    PipeSession::Step step = PipeSession::Step::None;
    if (!done && !truncated) {
        step = session.Broken(service);
    } else if (session.CurrentState() == PipeSession::State::Connecting) {
        step = session.Connected(NextCaller(index), nowMs);
    } else if (session.CurrentState() == PipeSession::State::Writing) {
        step = session.Written();
    } else {
        const std::size_t length = truncated ? instance.buffer.size() : got;
        step = session.Received(std::span(instance.buffer).first(length), truncated, service, nowMs);
    }
    Carry(instance, index, step, nowMs);
}

void Win32PipeServer::Deliver(const TimeService::Answer& answer, std::int64_t nowMs) {
    for (std::size_t i = 0; i < kInstances; ++i) {
        Instance& instance = m_instances[i];
        const PipeSession::Step step = instance.session.Deliver(answer, nowMs);
        if (step == PipeSession::Step::None) continue;
        Carry(instance, i, step, nowMs);
        return;
    }
}

std::optional<std::int64_t> Win32PipeServer::ExpireCallers(TimeService& service, std::int64_t nowMs) {
    std::optional<std::int64_t> next;
    for (std::size_t i = 0; i < kInstances; ++i) {
        Instance& instance = m_instances[i];
        Carry(instance, i, instance.session.Expire(service, nowMs), nowMs);
        const auto deadline = instance.session.DeadlineMs();
        if (deadline && (!next || *deadline < *next)) next = deadline;
    }
    return next;
}

bool Win32PipeServer::Pending(const Instance& instance) const {
    return instance.session.CurrentState() != PipeSession::State::Idle && !instance.failedAtOnce &&
           !HasOverlappedIoCompleted(&instance.overlapped);
}

void Win32PipeServer::CancelPending(Instance& instance) {
    if (!Pending(instance)) return;
    CancelIoEx(instance.pipe, &instance.overlapped);
    DWORD ignored = 0;
    // Until the cancelled operation is done the buffer and the OVERLAPPED are still the system's.
    GetOverlappedResult(instance.pipe, &instance.overlapped, &ignored, TRUE);
}

} // namespace hv
