#include "timeservice/win32/Win32ServiceManager.h"

#include "framework/win32/Utf16.h"
#include "timeservice/ServiceIdentity.h"

#include <vector>

namespace hv {
namespace {
constexpr DWORD kStatePollMs = 100;
} // namespace

std::optional<TimeServiceState> QueryTimeService() {
    const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return std::nullopt;
    TimeServiceState state;
    const ServiceHandle service(
        OpenServiceW(manager.Get(), Widen(kTimeServiceName).c_str(), SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG));
    if (!service) {
        if (GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST) return state;
        return std::nullopt;
    }
    state.installed = true;
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (QueryServiceStatusEx(service.Get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status,
                             &needed)) {
        state.state = status.dwCurrentState;
        state.processId = status.dwProcessId;
    }
    QueryServiceConfigW(service.Get(), nullptr, 0, &needed);
    if (GetLastError() == ERROR_INSUFFICIENT_BUFFER && needed > 0) {
        std::vector<BYTE> buffer(needed);
        auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
        if (QueryServiceConfigW(service.Get(), config, needed, &needed)) {
            if (config->lpServiceStartName != nullptr) state.account = Narrow(config->lpServiceStartName);
            if (config->lpBinaryPathName != nullptr) state.imagePath = Narrow(config->lpBinaryPathName);
        }
    }
    return state;
}

bool WaitForServiceState(SC_HANDLE service, DWORD state, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        SERVICE_STATUS_PROCESS status{};
        DWORD needed = 0;
        if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status,
                                  &needed)) {
            return false;
        }
        if (status.dwCurrentState == state) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(kStatePollMs);
    }
}

} // namespace hv
