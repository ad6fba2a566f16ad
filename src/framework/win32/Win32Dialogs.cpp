#include "framework/win32/Win32Platform.h"

#include "framework/win32/Utf16.h"
#include "framework/win32/Win32DialogRunner.h"

namespace hv {
namespace {
constexpr const wchar_t* kMessageBoxCaption = L"Horvane";
} // namespace

// Both are owned by the main window, whose handle the platform keeps.

int Win32Platform::RunModalDialog(Dialog& dialog) { return RunWin32ModalDialog(m_instance, m_mainWindow, dialog); }

void Win32Platform::ShowMessageBox(std::string_view text) {
    MessageBoxW(m_mainWindow, Widen(text).c_str(), kMessageBoxCaption, MB_OK);
}

} // namespace hv
