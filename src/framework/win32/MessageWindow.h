#pragma once
#include "framework/win32/Win32Api.h"

namespace hv {

// A hidden, message-only window of a class of its own, through which a worker thread or
// Winsock reaches the user-interface thread; `owner` is what its procedure gets back from
// MessageWindowOwner. Nothing when the class or the window cannot be made.
inline HWND CreateMessageWindow(HINSTANCE instance, const wchar_t* className, WNDPROC procedure, void* owner) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = className;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    const HWND window = CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (window != nullptr) SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    return window;
}

template <typename Owner>
Owner* MessageWindowOwner(HWND window) {
    return reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

} // namespace hv
