#pragma once
#include "framework/win32/Win32Api.h"

#include <winsvc.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace hv {

// A handle of the service control manager or of a service, closed when it goes.
class ServiceHandle {
public:
    ServiceHandle() = default;
    explicit ServiceHandle(SC_HANDLE handle) : m_handle(handle) {}
    ~ServiceHandle() {
        if (m_handle != nullptr) CloseServiceHandle(m_handle);
    }
    ServiceHandle(ServiceHandle&& other) noexcept : m_handle(other.m_handle) { other.m_handle = nullptr; }
    ServiceHandle& operator=(ServiceHandle&& other) noexcept {
        std::swap(m_handle, other.m_handle);
        return *this;
    }
    ServiceHandle(const ServiceHandle&) = delete;
    ServiceHandle& operator=(const ServiceHandle&) = delete;

    SC_HANDLE Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    SC_HANDLE m_handle = nullptr;
};

// What any user may learn about the time service from the service control manager.
struct TimeServiceState {
    bool installed = false;
    DWORD state = 0;             // SERVICE_RUNNING, SERVICE_STOPPED, ...
    std::uint32_t processId = 0; // of the running service; 0 otherwise
    std::string account;         // the account it is configured to run as
    std::string imagePath;       // its command line, as configured

    bool Running() const { return installed && state == SERVICE_RUNNING; }
};

// Nothing when the service control manager cannot be asked at all.
std::optional<TimeServiceState> QueryTimeService();

// Waits, polling the manager, until the service reaches `state` or `timeoutMs` has passed.
bool WaitForServiceState(SC_HANDLE service, DWORD state, DWORD timeoutMs);

} // namespace hv
