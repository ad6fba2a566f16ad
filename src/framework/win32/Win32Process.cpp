#include "framework/win32/Win32Process.h"

#include "framework/win32/Utf16.h"
#include "framework/win32/Win32Api.h"

namespace hv {
namespace {

constexpr const char* kTraceNoInstanceLock = "Horvane: the single-instance mutex could not be made";
// Long paths can exceed MAX_PATH; beyond this the system cannot name a module anyway.
constexpr DWORD kFirstModulePathBuffer = MAX_PATH;
constexpr DWORD kLongestModulePath = 32768;

// The single-instance mutex: released and closed when let go.
class MutexHold final : public Releasable {
public:
    explicit MutexHold(HANDLE mutex) : m_mutex(mutex) {}
    ~MutexHold() override {
        ReleaseMutex(m_mutex);
        CloseHandle(m_mutex);
    }
    MutexHold(const MutexHold&) = delete;
    MutexHold& operator=(const MutexHold&) = delete;

private:
    HANDLE m_mutex;
};

// Closes a kernel handle when it goes out of scope.
class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle) : m_handle(handle) {}
    ~ScopedHandle() {
        if (m_handle != nullptr) CloseHandle(m_handle);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

private:
    HANDLE m_handle;
};

} // namespace

Held Win32Process::AcquireInstanceLock(std::string_view name) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, Widen(name).c_str());
    if (mutex == nullptr) {
        Trace(kTraceNoInstanceLock);
        return nullptr;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return nullptr;
    }
    return std::make_unique<MutexHold>(mutex);
}

void Win32Process::Trace(std::string_view text) { OutputDebugStringW(Widen(std::string(text) + "\n").c_str()); }

std::string Win32Process::ModuleFileName() {
    // A full buffer means the path may have been cut short: try again with more room.
    for (DWORD size = kFirstModulePathBuffer; size <= kLongestModulePath; size *= 2) {
        std::wstring path(size, L'\0');
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), size);
        if (length == 0) return {};
        if (length < size) {
            path.resize(length);
            return Narrow(path);
        }
    }
    return {};
}

PrivilegeOutcome Win32Process::EnablePrivilege(std::string_view name) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) {
        return {PrivilegeOutcome::Step::OpenToken, GetLastError()};
    }
    const ScopedHandle tokenHandle(token);
    LUID id{};
    if (!LookupPrivilegeValueW(nullptr, Widen(name).c_str(), &id))
        return {PrivilegeOutcome::Step::Enable, GetLastError()};
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = id;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    // The call succeeds even when the token lacks the privilege; only the thread's last
    // error then tells (ERROR_NOT_ALL_ASSIGNED), so it is read at once.
    AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr);
    const DWORD error = GetLastError();
    if (error != ERROR_SUCCESS) return {PrivilegeOutcome::Step::Enable, error};
    return {};
}

bool Win32Process::RequestPowerOff() { return ExitWindowsEx(EWX_POWEROFF, 0) != FALSE; }

} // namespace hv
