#include "timeservice/win32/Win32ServiceHost.h"

#include "framework/win32/Utf16.h"
#include "framework/win32/Win32HeadlessPlatform.h"
#include "timeservice/ServiceIdentity.h"
#include "timeservice/TimeService.h"
#include "timeservice/win32/Win32EventJournal.h"
#include "timeservice/win32/Win32PipeServer.h"

#include <winsvc.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace hv {
namespace {

constexpr DWORD kStartWaitHintMs = 5000;
constexpr DWORD kStopWaitHintMs = 3000;

std::int64_t SteadyMs() { return static_cast<std::int64_t>(GetTickCount64()); }

std::string ErrorNumber(DWORD error) { return " (error " + std::to_string(error) + ")"; }

// Removes every privilege but the kept ones from the process's token, for good.
DWORD DropOtherPrivileges() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return GetLastError();
    DWORD needed = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &needed);
    std::vector<BYTE> held(std::max<DWORD>(needed, sizeof(TOKEN_PRIVILEGES)));
    if (!GetTokenInformation(token, TokenPrivileges, held.data(), static_cast<DWORD>(held.size()), &needed)) {
        const DWORD error = GetLastError();
        CloseHandle(token);
        return error;
    }
    std::vector<LUID> kept;
    for (const char* name : kTimeServicePrivileges) {
        LUID id{};
        if (LookupPrivilegeValueW(nullptr, Widen(name).c_str(), &id)) kept.push_back(id);
    }
    const auto* current = reinterpret_cast<const TOKEN_PRIVILEGES*>(held.data());
    std::vector<BYTE> removal(offsetof(TOKEN_PRIVILEGES, Privileges) +
                              current->PrivilegeCount * sizeof(LUID_AND_ATTRIBUTES));
    auto* dropped = reinterpret_cast<TOKEN_PRIVILEGES*>(removal.data());
    dropped->PrivilegeCount = 0;
    for (DWORD i = 0; i < current->PrivilegeCount; ++i) {
        const LUID id = current->Privileges[i].Luid;
        const bool keep = std::any_of(kept.begin(), kept.end(), [&](const LUID& k) {
            return k.LowPart == id.LowPart && k.HighPart == id.HighPart;
        });
        if (keep) continue;
        dropped->Privileges[dropped->PrivilegeCount].Luid = id;
        dropped->Privileges[dropped->PrivilegeCount].Attributes = SE_PRIVILEGE_REMOVED;
        ++dropped->PrivilegeCount;
    }
    DWORD error = ERROR_SUCCESS;
    if (dropped->PrivilegeCount > 0) {
        AdjustTokenPrivileges(token, FALSE, dropped, static_cast<DWORD>(removal.size()), nullptr, nullptr);
        error = GetLastError();
    }
    CloseHandle(token);
    return error;
}

// One run of the service, from the manager's start to its stop.
class ServiceHost {
public:
    void Main();

private:
    static DWORD WINAPI Control(DWORD control, DWORD type, void* data, void* context);
    void Report(DWORD state, DWORD exitCode = NO_ERROR, DWORD waitHint = 0);
    // Starts everything and serves until told to stop; the error it stops with.
    DWORD Run();
    void Serve(TimeService& service, Win32PipeServer& pipe);

    SERVICE_STATUS_HANDLE m_status = nullptr;
    HANDLE m_stop = nullptr;
    DWORD m_checkpoint = 0;
};

void ServiceHost::Main() {
    m_status = RegisterServiceCtrlHandlerExW(Widen(kTimeServiceName).c_str(), &ServiceHost::Control, this);
    if (m_status == nullptr) return;
    Report(SERVICE_START_PENDING, NO_ERROR, kStartWaitHintMs);
    m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const DWORD exitCode = m_stop != nullptr ? Run() : GetLastError();
    if (m_stop != nullptr) CloseHandle(m_stop);
    // Once the manager hears "stopped" it may end the process: nothing may follow.
    Report(SERVICE_STOPPED, exitCode);
}

DWORD ServiceHost::Run() {
    Win32EventJournal journal;
    if (const DWORD error = DropOtherPrivileges(); error != ERROR_SUCCESS) {
        journal.Write(ServiceJournal::Kind::Warning,
                      "Could not drop the privileges it does not need" + ErrorNumber(error) + ".");
    }
    Win32HeadlessPlatform platform(GetModuleHandleW(nullptr));
    const Held socketLayer = platform.StartSocketLayer();
    if (!socketLayer) {
        journal.Write(ServiceJournal::Kind::Error, "Windows Sockets is not available; the service stops.");
        return ERROR_NOT_SUPPORTED;
    }
    TimeService service(platform, journal);
    Win32PipeServer pipe;
    DWORD error = ERROR_SUCCESS;
    if (!pipe.Start(error, SteadyMs())) {
        journal.Write(ServiceJournal::Kind::Error,
                      std::string("Cannot serve: could not create the pipe ") + kTimeServicePipe + ErrorNumber(error) +
                          (error == ERROR_ACCESS_DENIED || error == ERROR_PIPE_BUSY
                               ? ": another program already holds its name."
                               : ".") +
                          " The service stops rather than serve beside another program; the service manager "
                          "starts it again in a minute, and until then Horvane sets the clock itself where it may.");
        return error;
    }
    Report(SERVICE_RUNNING);
    journal.Write(ServiceJournal::Kind::Information, std::string("Started; answering on ") + kTimeServicePipe + ".");
    Serve(service, pipe);
    Report(SERVICE_STOP_PENDING, NO_ERROR, kStopWaitHintMs);
    journal.Write(ServiceJournal::Kind::Information, "Stopped.");
    return NO_ERROR;
}

void ServiceHost::Serve(TimeService& service, Win32PipeServer& pipe) {
    std::vector<HANDLE> handles{m_stop};
    for (HANDLE event : pipe.Events()) handles.push_back(event);
    const auto count = static_cast<DWORD>(handles.size());
    for (;;) {
        const std::int64_t now = SteadyMs();
        while (const auto answer = service.Poll(now)) pipe.Deliver(*answer, now);
        std::optional<std::int64_t> deadline = pipe.ExpireCallers(service, now);
        if (const auto exchange = service.DeadlineMs(); exchange && (!deadline || *exchange < *deadline)) {
            deadline = exchange;
        }
        const DWORD timeout =
            deadline ? static_cast<DWORD>(std::clamp<std::int64_t>(*deadline - now, 0, 60'000)) : INFINITE;
        const DWORD woke =
            MsgWaitForMultipleObjectsEx(count, handles.data(), timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) return;
        if (woke > WAIT_OBJECT_0 && woke < WAIT_OBJECT_0 + count)
            pipe.OnSignalled(woke - WAIT_OBJECT_0 - 1, service, SteadyMs());
        // The exchange's socket reports its reply through a window message of this thread.
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

DWORD WINAPI ServiceHost::Control(DWORD control, DWORD, void*, void* context) {
    auto* host = static_cast<ServiceHost*>(context);
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN: SetEvent(host->m_stop); return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE: return NO_ERROR;
    default: return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void ServiceHost::Report(DWORD state, DWORD exitCode, DWORD waitHint) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    status.dwWin32ExitCode = exitCode;
    status.dwWaitHint = waitHint;
    status.dwCheckPoint = state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : ++m_checkpoint;
    SetServiceStatus(m_status, &status);
}

void WINAPI ServiceMain(DWORD, LPWSTR*) {
    ServiceHost host;
    host.Main();
}

} // namespace

bool RunAsTimeService() {
    std::wstring name = Widen(kTimeServiceName);
    SERVICE_TABLE_ENTRYW table[] = {{name.data(), &ServiceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherW(table) != FALSE;
}

} // namespace hv
