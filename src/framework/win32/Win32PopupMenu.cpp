#include "framework/win32/Win32PopupMenu.h"

#include "framework/win32/Utf16.h"

namespace hv {
namespace {

void AppendItem(HMENU menu, const MenuItem& item) {
    if (item.commandId == 0) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        return;
    }
    const UINT flags = item.checked ? UINT{MF_STRING | MF_CHECKED} : UINT{MF_STRING};
    AppendMenuW(menu, flags, static_cast<UINT_PTR>(item.commandId), Widen(item.text).c_str());
}

} // namespace

int ShowPopupMenu(HWND owner, const std::vector<MenuItem>& items, POINT at, UINT flags) {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) return 0;
    for (const MenuItem& item : items) AppendItem(menu, item);
    // Without the foreground the menu would not close when the user clicks elsewhere; the
    // posted message forces the task switch without which the next menu opens and at once
    // vanishes (both from TrackPopupMenu's documentation).
    SetForegroundWindow(owner);
    const int result = static_cast<int>(TrackPopupMenu(menu, flags, at.x, at.y, 0, owner, nullptr));
    PostMessageW(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
    return result;
}

} // namespace hv
