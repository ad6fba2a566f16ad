#include "framework/win32/Win32Platform.h"

#include "framework/WindowMessages.h"

#include <algorithm>

namespace hv {
namespace {

constexpr UINT kTrayFlagsOnAdd = NIF_MESSAGE | NIF_ICON | NIF_TIP;
constexpr UINT kMenuTrackFlags = TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON;

// The version-1 record ends after a 64-character tip; the shell reads nothing beyond it.
constexpr std::size_t kVersion1TipBytes = 64;

template <std::size_t N>
void CopyTip(std::string_view tip, char (&field)[N]) {
    static_assert(N >= kVersion1TipBytes);
    const std::size_t length = std::min(tip.size(), kVersion1TipBytes - 1);
    std::copy_n(tip.data(), length, field);
    field[length] = '\0';
}

void AppendItem(HMENU menu, const MenuItem& item) {
    if (item.commandId == 0) {
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        return;
    }
    const UINT flags = item.checked ? UINT{MF_STRING | MF_CHECKED} : UINT{MF_STRING};
    AppendMenuA(menu, flags, static_cast<UINT_PTR>(item.commandId), item.text.c_str());
}

} // namespace

NOTIFYICONDATAA Win32Platform::TrayIconRecord(UINT flags, std::string_view tip) const {
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = m_mainWindow;
    record.uID = kMainIconResourceId;
    record.uFlags = flags;
    record.uCallbackMessage = kWmTrayNotify;
    record.hIcon = m_trayIcon;
    CopyTip(tip, record.szTip);
    return record;
}

bool Win32Platform::AddTrayIcon(std::string_view tip) {
    if (m_trayIcon == nullptr) {
        // Loaded at the notification area's own size, so the system never scales a larger image down.
        m_trayIcon = static_cast<HICON>(LoadImageA(m_instance, MAKEINTRESOURCEA(kMainIconResourceId), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                   LR_DEFAULTCOLOR));
    }
    NOTIFYICONDATAA record = TrayIconRecord(kTrayFlagsOnAdd, tip);
    return Shell_NotifyIconA(NIM_ADD, &record) != FALSE;
}

void Win32Platform::SetTrayTip(std::string_view tip) {
    NOTIFYICONDATAA record = TrayIconRecord(NIF_TIP, tip);
    Shell_NotifyIconA(NIM_MODIFY, &record);
}

void Win32Platform::DeleteTrayIcon() {
    NOTIFYICONDATAA record = TrayIconRecord(0, {});
    Shell_NotifyIconA(NIM_DELETE, &record);
}

void Win32Platform::TrackPopupMenu(const std::vector<MenuItem>& items) {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) return;
    for (const MenuItem& item : items) AppendItem(menu, item);
    POINT cursor{};
    GetCursorPos(&cursor);
    // Without the foreground the menu would not close when the user clicks elsewhere; the
    // posted message forces the task switch without which the next menu opens and at once
    // vanishes (both from TrackPopupMenu's documentation).
    SetForegroundWindow(m_mainWindow);
    ::TrackPopupMenu(menu, kMenuTrackFlags, cursor.x, cursor.y, 0, m_mainWindow, nullptr);
    PostMessageA(m_mainWindow, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

} // namespace hv
