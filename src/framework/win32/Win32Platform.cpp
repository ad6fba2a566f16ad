#include "framework/win32/Win32Platform.h"

#include "framework/CommandLine.h"
#include "framework/win32/Utf16.h"
#include "framework/win32/Win32DialogRunner.h"
#include "framework/win32/Win32NameResolver.h"
#include "framework/win32/Win32NetworkWatch.h"
#include "framework/win32/Win32UdpSocket.h"

#include <bcrypt.h>
#include <mmsystem.h>

namespace hv {
namespace {

constexpr const wchar_t* kMessageBoxCaption = L"Horvane";
constexpr const wchar_t* kShellOpenVerb = L"open";
constexpr const char* kTraceNoInstanceLock = "Horvane: the single-instance mutex could not be made";
constexpr WORD kSocketLayerVersion = MAKEWORD(1, 1);
// Long paths can exceed MAX_PATH; beyond this the system cannot name a module anyway.
constexpr DWORD kFirstModulePathBuffer = MAX_PATH;
constexpr DWORD kLongestModulePath = 32768;

// Mixes weak entropy into well-spread bits when the system generator is unavailable.
std::uint64_t SplitMix64(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

std::uint32_t FallbackRandomBits() {
    static std::uint64_t counter = 0;
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const std::uint64_t seed = static_cast<std::uint64_t>(now.QuadPart) ^
                               (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32) ^ ++counter;
    return static_cast<std::uint32_t>(SplitMix64(seed));
}

// The started socket layer: cleaned up once when let go.
class SocketLayerHold final : public Releasable {
public:
    ~SocketLayerHold() override { WSACleanup(); }
};

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

Win32Platform::Win32Platform(HINSTANCE instance)
    : m_instance(instance),
      m_socketNotifier(std::make_shared<SocketNotifier>(instance)),
      m_resolver(std::make_unique<Win32NameResolver>(instance)) {
    // Windows 8 and later offer the clock at its full resolution; older systems tick at
    // the scheduler's pace, which is still better than nothing.
    if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
        if (FARPROC proc = GetProcAddress(kernel, "GetSystemTimePreciseAsFileTime")) {
            // Through the generic function type, which converts to any other without a warning.
            m_preciseClock = reinterpret_cast<PreciseClock>(reinterpret_cast<void (*)()>(proc));
        }
    }
}

Win32Platform::~Win32Platform() {
    // The program's event object is gone by now; the window must not call into it.
    m_events = nullptr;
    m_networkWatch.reset();
    if (m_mainWindow != nullptr) DestroyWindow(m_mainWindow);
    if (m_trayIcon != nullptr) DestroyIcon(m_trayIcon);
}

// --- process -------------------------------------------------------------------------

Held Win32Platform::StartSocketLayer() {
    WSADATA data{};
    if (WSAStartup(kSocketLayerVersion, &data) != 0) return nullptr;
    if (data.wVersion != kSocketLayerVersion) {
        WSACleanup();
        return nullptr;
    }
    return std::make_unique<SocketLayerHold>();
}

Held Win32Platform::AcquireInstanceLock(std::string_view name) {
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

void Win32Platform::Trace(std::string_view text) {
    OutputDebugStringW(Widen(std::string(text) + "\n").c_str());
}

std::string Win32Platform::ModuleFileName() {
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

// --- messages, processes and shell -----------------------------------------------------

void Win32Platform::ShowMessageBox(std::string_view text) {
    MessageBoxW(m_mainWindow, Widen(text).c_str(), kMessageBoxCaption, MB_OK);
}

ProgramStart Win32Platform::StartProgram(std::string_view program, std::string_view arguments) {
    return StartCommandLine(QuotedCommandLine(program, arguments));
}

ProgramStart Win32Platform::StartCommandLine(std::string_view commandLine) {
    std::wstring line = Widen(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    // No application name: the system takes the program from the quoted first token and
    // looks for a bare file name along its search path, as for rundll32.exe.
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        const DWORD error = GetLastError();
        const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return {missing ? ProgramStart::Status::Missing : ProgramStart::Status::Failed, error};
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return {ProgramStart::Status::Started, 0};
}

int Win32Platform::ShellOpen(std::string_view target) {
    // The result is an instance handle only in name: a number, above 32 on success.
    const auto code = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, kShellOpenVerb, Widen(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return static_cast<int>(code);
}

// --- privileges and power ----------------------------------------------------------------

PrivilegeOutcome Win32Platform::EnablePrivilege(std::string_view name) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) {
        return {PrivilegeOutcome::Step::OpenToken, GetLastError()};
    }
    const ScopedHandle tokenHandle(token);
    LUID id{};
    if (!LookupPrivilegeValueW(nullptr, Widen(name).c_str(), &id)) return {PrivilegeOutcome::Step::Enable, GetLastError()};
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

bool Win32Platform::RequestPowerOff() { return ExitWindowsEx(EWX_POWEROFF, 0) != FALSE; }

int Win32Platform::RunModalDialog(Dialog& dialog) { return RunWin32ModalDialog(m_instance, m_mainWindow, dialog); }

// --- sound and randomness ----------------------------------------------------------------

bool Win32Platform::PlaySoundFile(std::string_view path) {
    return sndPlaySoundW(Widen(path).c_str(), SND_ASYNC | SND_NOSTOP) != FALSE;
}

std::uint32_t Win32Platform::RandomBits() {
    std::uint32_t bits = 0;
    const NTSTATUS status = BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&bits), sizeof bits,
                                            BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    return BCRYPT_SUCCESS(status) ? bits : FallbackRandomBits();
}

} // namespace hv
