#pragma once
#include "framework/win32/Win32Api.h"

namespace hv {

// Posts `message` to `window`, wParam 1 when the computer can reach the Internet and 0 when
// it cannot, each time that may have changed. The system calls back on threads of its own,
// so nothing here but the post ever runs there. Prefers the system's connectivity hint
// (Windows 10 1709 and later); elsewhere it judges by the interfaces: one that is up, not
// the loopback, with a default gateway.
class Win32NetworkWatch {
public:
    Win32NetworkWatch(HWND window, UINT message);
    ~Win32NetworkWatch();
    Win32NetworkWatch(const Win32NetworkWatch&) = delete;
    Win32NetworkWatch& operator=(const Win32NetworkWatch&) = delete;

private:
    struct Hint {
        int level;
        int cost;
        BOOLEAN approachingDataLimit;
        BOOLEAN overDataLimit;
        BOOLEAN roaming;
    };
    static void WINAPI OnHint(void* context, Hint hint);
    static void WINAPI OnInterfaceChange(void* context, void* row, int type);
    bool AnyInterfaceWithGateway() const;
    void Post(bool connected) const;

    HWND m_window;
    UINT m_message;
    // The helper library's calls, found at run time; their status is an NTSTATUS (a LONG).
    using CancelChange = LONG(WINAPI*)(HANDLE);
    using AdaptersAddresses = ULONG(WINAPI*)(ULONG, ULONG, void*, void*, ULONG*);

    HMODULE m_helper = nullptr;
    CancelChange m_cancel = nullptr;
    AdaptersAddresses m_adapters = nullptr;
    HANDLE m_notification = nullptr;
};

} // namespace hv
