#pragma once
#include "framework/Dialog.h"
#include "framework/win32/Win32Api.h"
#include "framework/win32/Win32Platform.h"

#include <string_view>

namespace hv {

// What every companion's WinMain does around its main window: only one instance runs (a
// second start brings the first one's window forward and ends), the common controls and COM
// are set up, and the window runs until it is closed. Returns the process's exit code.
int RunCompanion(HINSTANCE instance, Win32Platform& platform, Dialog& window, std::string_view instanceLock,
                 std::string_view windowTitle, int showCommand);

} // namespace hv
