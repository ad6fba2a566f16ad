#include "framework/win32/Win32Messaging.h"

#include "framework/win32/Utf16.h"
#include "framework/win32/Win32Api.h"

namespace hv {
namespace {

constexpr UINT kSendFlags = SMTO_ABORTIFHUNG;

HWND WindowOf(WindowId id) { return reinterpret_cast<HWND>(id); }

} // namespace

WindowId Win32Messaging::FindWindowByTitle(std::string_view title) {
    return reinterpret_cast<WindowId>(FindWindowW(nullptr, Widen(title).c_str()));
}

bool Win32Messaging::SendCopyData(WindowId to, std::uintptr_t code, std::string_view text) {
    COPYDATASTRUCT data{};
    data.dwData = code;
    data.cbData = static_cast<DWORD>(text.size());
    // The receiver only reads the bytes; the structure's pointer is not const for history's sake.
    data.lpData = text.empty() ? nullptr : const_cast<char*>(text.data());
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(WindowOf(to), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), kSendFlags,
                               kSendTimeoutMs, &result) != 0;
}

bool Win32Messaging::PostCommand(WindowId to, int commandId) {
    return PostMessageW(WindowOf(to), WM_COMMAND, MAKEWPARAM(commandId, 0), 0) != 0;
}

} // namespace hv
