#include "timeservice/win32/Win32TimeServiceLink.h"

#include "framework/win32/Utf16.h"
#include "timeservice/ServiceIdentity.h"
#include "timeservice/ServiceProtocol.h"
#include "timeservice/win32/Win32ServiceManager.h"

#include <sddl.h>

#include <vector>

namespace hv {
namespace {

// Closes a kernel handle when it goes out of scope.
class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle) : m_handle(handle) {}
    ~OwnedHandle() {
        if (m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    HANDLE Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

// The string SID of a process's token user, when this caller may read it.
std::optional<std::string> ProcessUserSid(DWORD processId) {
    const OwnedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return std::nullopt;
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(process.Get(), TOKEN_QUERY, &rawToken)) return std::nullopt;
    const OwnedHandle token(rawToken);
    DWORD needed = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &needed);
    if (needed == 0) return std::nullopt;
    std::vector<BYTE> buffer(needed);
    if (!GetTokenInformation(token.Get(), TokenUser, buffer.data(), needed, &needed)) return std::nullopt;
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) return std::nullopt;
    std::string sid = Narrow(text);
    LocalFree(text);
    return sid;
}

// Wine gives every process the logged-on user's token; its ntdll says what it is.
bool AccountsDistinct() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr;
}

PipeServerFacts FactsAbout(HANDLE pipe) {
    PipeServerFacts facts;
    ULONG serverPid = 0;
    if (GetNamedPipeServerProcessId(pipe, &serverPid)) facts.pipeServerPid = serverPid;
    // Asked after the pipe was opened: the service running now is the one that must serve it.
    if (const auto service = QueryTimeService(); service && service->Running()) {
        facts.servicePid = service->processId;
        facts.serviceAccount = service->account;
    }
    if (facts.pipeServerPid) facts.serverUserSid = ProcessUserSid(*facts.pipeServerPid);
    facts.accountsDistinct = AccountsDistinct();
    return facts;
}

} // namespace

TimeServiceLink::Opened Win32TimeServiceLink::Open() {
    Close();
    const auto service = QueryTimeService();
    if (!service || !service->Running()) return Opened::NotRunning;
    // Identification only: a process serving the pipe learns who called, but can never act
    // as the caller.
    m_pipe = CreateFileW(Widen(kTimeServicePipe).c_str(), kPipeClientAccess, 0, nullptr, OPEN_EXISTING,
                         SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
    if (m_pipe == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return Opened::NotRunning;
        return error == ERROR_PIPE_BUSY ? Opened::Busy : Opened::Failed;
    }
    if (!IsGenuineTimeService(FactsAbout(m_pipe))) {
        Close();
        return Opened::Impostor;
    }
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (!SetNamedPipeHandleState(m_pipe, &mode, nullptr, nullptr)) {
        Close();
        return Opened::Failed;
    }
    return Opened::Connected;
}

bool Win32TimeServiceLink::Send(std::span<const std::uint8_t> message) {
    if (m_pipe == INVALID_HANDLE_VALUE || message.size() > kMaxServiceMessageBytes) return false;
    // A request is far smaller than the pipe's buffer, so the write never waits on the service.
    DWORD written = 0;
    return WriteFile(m_pipe, message.data(), static_cast<DWORD>(message.size()), &written, nullptr) &&
           written == message.size();
}

TimeServiceLink::Poll Win32TimeServiceLink::PollReply() {
    Poll poll;
    if (m_pipe == INVALID_HANDLE_VALUE) {
        poll.state = Poll::State::Closed;
        return poll;
    }
    DWORD available = 0;
    if (!PeekNamedPipe(m_pipe, nullptr, 0, nullptr, &available, nullptr)) {
        poll.state = Poll::State::Closed;
        return poll;
    }
    if (available == 0) return poll;
    // Whatever is longer than a reply is cut short here and refused by the parser.
    poll.message.resize(kMaxServiceMessageBytes);
    DWORD got = 0;
    if (!ReadFile(m_pipe, poll.message.data(), static_cast<DWORD>(poll.message.size()), &got, nullptr) &&
        GetLastError() != ERROR_MORE_DATA) {
        poll.state = Poll::State::Closed;
        poll.message.clear();
        return poll;
    }
    poll.message.resize(got);
    poll.state = Poll::State::Arrived;
    return poll;
}

void Win32TimeServiceLink::Close() {
    if (m_pipe != INVALID_HANDLE_VALUE) CloseHandle(m_pipe);
    m_pipe = INVALID_HANDLE_VALUE;
}

} // namespace hv
