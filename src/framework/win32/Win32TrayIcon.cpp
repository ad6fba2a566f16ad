#include "framework/win32/Win32Platform.h"

#include "framework/WindowMessages.h"
#include "framework/win32/Utf16.h"
#include "framework/win32/Win32PopupMenu.h"

#include <algorithm>

namespace hv {
namespace {

constexpr UINT kTrayFlagsOnAdd = NIF_MESSAGE | NIF_ICON | NIF_TIP;
constexpr UINT kMenuTrackFlags = TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON;

// The version-1 record ends after a 64-character tip; the shell reads nothing beyond it.
constexpr std::size_t kVersion1TipChars = 64;

template <std::size_t N>
void CopyTip(std::string_view tip, wchar_t (&field)[N]) {
    static_assert(N >= kVersion1TipChars);
    const std::wstring wide = Widen(tip);
    const std::size_t length = std::min(wide.size(), kVersion1TipChars - 1);
    std::copy_n(wide.data(), length, field);
    field[length] = L'\0';
}

} // namespace

NOTIFYICONDATAW Win32Platform::TrayIconRecord(UINT flags, std::string_view tip) const {
    NOTIFYICONDATAW record{};
    record.cbSize = NOTIFYICONDATAW_V1_SIZE;
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
        m_trayIcon = static_cast<HICON>(LoadImageW(m_instance, MAKEINTRESOURCEW(kMainIconResourceId), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                   LR_DEFAULTCOLOR));
    }
    NOTIFYICONDATAW record = TrayIconRecord(kTrayFlagsOnAdd, tip);
    // A busy shell can time out an add and carry it out later; a retry then finds the icon.
    return Shell_NotifyIconW(NIM_ADD, &record) != FALSE || Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

void Win32Platform::SetTrayTip(std::string_view tip) {
    NOTIFYICONDATAW record = TrayIconRecord(NIF_TIP, tip);
    Shell_NotifyIconW(NIM_MODIFY, &record);
}

void Win32Platform::DeleteTrayIcon() {
    NOTIFYICONDATAW record = TrayIconRecord(0, {});
    Shell_NotifyIconW(NIM_DELETE, &record);
}

void Win32Platform::TrackPopupMenu(const std::vector<MenuItem>& items) {
    POINT cursor{};
    GetCursorPos(&cursor);
    ShowPopupMenu(m_mainWindow, items, cursor, kMenuTrackFlags);
}

} // namespace hv
