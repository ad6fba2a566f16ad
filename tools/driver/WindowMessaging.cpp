#include "WindowMessaging.h"

#include <string>

namespace driver {

LRESULT SendCopyData(HWND target, HWND sender, ULONG_PTR code, std::string_view text) {
    std::string bytes(text); // lpData is not const in the record
    COPYDATASTRUCT record{};
    record.dwData = code;
    record.cbData = static_cast<DWORD>(bytes.size());
    record.lpData = bytes.empty() ? nullptr : bytes.data();
    return SendMessageA(target, WM_COPYDATA, reinterpret_cast<WPARAM>(sender), reinterpret_cast<LPARAM>(&record));
}

LRESULT SendCopyDataWithoutData(HWND target, ULONG_PTR code, DWORD size) {
    COPYDATASTRUCT record{};
    record.dwData = code;
    record.cbData = size;
    record.lpData = nullptr;
    return SendMessageA(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
}

WPARAM AsWParam(std::int64_t value) { return static_cast<WPARAM>(value); }

LPARAM AsLParam(std::int64_t value) { return static_cast<LPARAM>(value); }

} // namespace driver
