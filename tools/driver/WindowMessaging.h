#pragma once
#include <windows.h>

#include <cstdint>
#include <string_view>

namespace driver {

// WM_COPYDATA as the companions send it: the text without a terminating zero, and no data
// pointer at all when there is no text.
LRESULT SendCopyData(HWND target, HWND sender, ULONG_PTR code, std::string_view text);

// A deliberately broken record for robustness checks: `size` bytes claimed, none given.
LRESULT SendCopyDataWithoutData(HWND target, ULONG_PTR code, DWORD size);

WPARAM AsWParam(std::int64_t value);
LPARAM AsLParam(std::int64_t value);

} // namespace driver
