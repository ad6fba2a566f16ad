#pragma once
#include "framework/UdpSocket.h"
#include "framework/win32/Win32Api.h"

#include <map>
#include <memory>

namespace hv {

// A hidden message-only window that receives the asynchronous notifications of every open
// socket and hands read readiness to that socket's owner on the user-interface thread.
// It needs no other window, so a console tool that pumps messages can use it as well.
class SocketNotifier {
public:
    explicit SocketNotifier(HINSTANCE instance);
    ~SocketNotifier();
    SocketNotifier(const SocketNotifier&) = delete;
    SocketNotifier& operator=(const SocketNotifier&) = delete;

    // Puts the socket into asynchronous mode with notifications to this window.
    bool Watch(SOCKET socket, UdpSocketEvents& events);
    // From now on notifications still queued for the socket are dropped.
    void Forget(SOCKET socket);

private:
    struct Watched {
        UdpSocketEvents* events;
        UINT message;
    };

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool EnsureWindow();
    UINT NextMessage();
    void Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE m_instance;
    HWND m_window = nullptr;
    std::map<SOCKET, Watched> m_watched;
    UINT m_messageSerial = 0;
};

// One socket per address family, the IPv6 one opened at the first send to an IPv6 address
// (a system without IPv6 still has the IPv4 side). Both notify the same owner.
class Win32UdpSocket final : public UdpSocket {
public:
    Win32UdpSocket(SOCKET ipv4, UdpSocketEvents& events, std::shared_ptr<SocketNotifier> notifier);
    ~Win32UdpSocket() override;
    Win32UdpSocket(const Win32UdpSocket&) = delete;
    Win32UdpSocket& operator=(const Win32UdpSocket&) = delete;

    bool SendTo(const IpEndpoint& to, std::span<const std::uint8_t> bytes) override;
    std::optional<Datagram> ReceiveFrom(std::size_t maxBytes) override;

    // A datagram socket of the family bound to any local address and port; INVALID_SOCKET
    // when it cannot be made.
    static SOCKET OpenBound(int family);

private:
    bool EnsureIpv6();
    void Close(SOCKET& socket);

    SOCKET m_ipv4;
    SOCKET m_ipv6 = INVALID_SOCKET;
    UdpSocketEvents& m_events;
    std::shared_ptr<SocketNotifier> m_notifier;
};

} // namespace hv
