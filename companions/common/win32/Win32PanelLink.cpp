#include "common/win32/Win32PanelLink.h"

#include "framework/MessagingRole.h"
#include "framework/win32/Utf16.h"
#include "framework/win32/Win32Api.h"
#include "protocol/CompanionProtocol.h"

namespace hv {
namespace {

HWND FindPanel() { return FindWindowW(nullptr, Widen(kMainWindowTitle).c_str()); }

} // namespace

bool Win32PanelLink::Present() { return FindPanel() != nullptr; }

bool Win32PanelLink::Send(std::uintptr_t code, std::string_view text) {
    HWND panel = FindPanel();
    if (panel == nullptr) return false;
    // The user's last click was ours; pass the right to come to the front on to Horvane.
    DWORD process = 0;
    GetWindowThreadProcessId(panel, &process);
    if (process != 0) AllowSetForegroundWindow(process);
    COPYDATASTRUCT data{};
    data.dwData = code;
    data.cbData = static_cast<DWORD>(text.size());
    // The receiver only reads the bytes; the structure's pointer is not const for history's sake.
    data.lpData = text.empty() ? nullptr : const_cast<char*>(text.data());
    DWORD_PTR answer = 0;
    // Not a short wait: a request Horvane has not begun to read when the wait ends may be
    // withdrawn (Wine does so), and a busy Horvane would then lose the user's click.
    SendMessageTimeoutW(panel, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL | SMTO_ABORTIFHUNG,
                        kSendTimeoutMs, &answer);
    return true;
}

} // namespace hv
