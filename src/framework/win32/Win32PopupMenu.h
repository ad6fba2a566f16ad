#pragma once
#include "framework/PopupMenu.h"

#include <windows.h>

#include <vector>

namespace hv {

// Shows `items` as a popup menu at `at` (screen coordinates) for `owner` and returns what
// TrackPopupMenu returns for `flags`: with TPM_RETURNCMD the chosen command (0 for none).
int ShowPopupMenu(HWND owner, const std::vector<MenuItem>& items, POINT at, UINT flags);

} // namespace hv
