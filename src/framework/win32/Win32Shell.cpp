#include "framework/win32/Win32Shell.h"

#include "framework/CommandLine.h"
#include "framework/win32/Utf16.h"
#include "framework/win32/Win32Api.h"

#include <mmsystem.h>
#include <shlobj.h>

namespace hv {
namespace {
constexpr const wchar_t* kShellOpenVerb = L"open";
} // namespace

ProgramStart Win32Shell::StartProgram(std::string_view program, std::string_view arguments) {
    return StartCommandLine(QuotedCommandLine(program, arguments));
}

ProgramStart Win32Shell::StartCommandLine(std::string_view commandLine) {
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

int Win32Shell::ShellOpen(std::string_view target) {
    // The result is an instance handle only in name: a number, above 32 on success.
    const auto code = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, kShellOpenVerb, Widen(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return static_cast<int>(code);
}

bool Win32Shell::PlaySoundFile(std::string_view path) {
    // Looked up at the first chime rather than linked: the programs that never play a sound
    // (the time service, the companions) never load the sound library, and the one that does
    // takes it from System32 only.
    using SndPlaySound = BOOL(WINAPI*)(LPCWSTR, UINT);
    static const auto play = [] {
        HMODULE library = LoadLibraryExW(L"winmm.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        return library
                   ? reinterpret_cast<SndPlaySound>(reinterpret_cast<void*>(GetProcAddress(library, "sndPlaySoundW")))
                   : nullptr;
    }();
    return play != nullptr && play(Widen(path).c_str(), SND_ASYNC | SND_NOSTOP) != FALSE;
}

std::string Win32Shell::UserDataFolder() {
    PWSTR folder = nullptr;
    std::string result;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DONT_VERIFY, nullptr, &folder)) && folder) {
        result = Narrow(folder);
        if (!result.empty() && result.back() != '\\') result += '\\';
    }
    CoTaskMemFree(folder);
    return result;
}

} // namespace hv
