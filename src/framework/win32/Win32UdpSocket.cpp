#include "framework/win32/Win32UdpSocket.h"

#include "framework/win32/MessageWindow.h"
#include "framework/win32/Win32NameResolver.h"
#include "framework/win32/Utf16.h"

#include <cstring>

namespace hv {
namespace {

constexpr const wchar_t* kNotifierWindowClass = L"HorvaneSocketNotifier";
constexpr long kAllSocketEvents = FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE;
static_assert(kAllSocketEvents == 0x3F);
// Every socket gets its own notification message, so a notification still queued for a
// closed socket cannot be taken for one of a new socket that was given the same handle.
constexpr UINT kFirstSocketMessage = WM_APP;
constexpr UINT kSocketMessageCount = 0xC000 - WM_APP;

// Either family's socket address, with its length.
struct SocketAddress {
    sockaddr_storage storage{};
    int length = 0;
};

SocketAddress SocketAddressOf(const IpEndpoint& endpoint) {
    SocketAddress address;
    if (endpoint.address.IsIpv6()) {
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&address.storage);
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(endpoint.port);
        std::memcpy(&v6->sin6_addr, endpoint.address.Ipv6().data(), sizeof v6->sin6_addr);
        address.length = sizeof(sockaddr_in6);
    } else {
        auto* v4 = reinterpret_cast<sockaddr_in*>(&address.storage);
        v4->sin_family = AF_INET;
        v4->sin_port = htons(endpoint.port);
        v4->sin_addr.s_addr = htonl(endpoint.address.Ipv4());
        address.length = sizeof(sockaddr_in);
    }
    return address;
}

} // namespace

std::optional<IpEndpoint> EndpointOf(const sockaddr* address) {
    if (address->sa_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
        return IpEndpoint{IpAddress(ntohl(v4->sin_addr.s_addr)), ntohs(v4->sin_port)};
    }
    if (address->sa_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(address);
        IpAddress::Ipv6Bytes bytes{};
        std::memcpy(bytes.data(), &v6->sin6_addr, bytes.size());
        return IpEndpoint{IpAddress::FromIpv6(bytes), ntohs(v6->sin6_port)};
    }
    return std::nullopt;
}

// --- notification window -----------------------------------------------------------------

SocketNotifier::SocketNotifier(HINSTANCE instance) : m_instance(instance) {}

SocketNotifier::~SocketNotifier() {
    if (m_window != nullptr) DestroyWindow(m_window);
}

bool SocketNotifier::EnsureWindow() {
    if (m_window == nullptr) {
        m_window = CreateMessageWindow(m_instance, kNotifierWindowClass, &SocketNotifier::WindowProc, this);
    }
    return m_window != nullptr;
}

UINT SocketNotifier::NextMessage() {
    const UINT message = kFirstSocketMessage + m_messageSerial;
    m_messageSerial = (m_messageSerial + 1) % kSocketMessageCount;
    return message;
}

bool SocketNotifier::Watch(SOCKET socket, UdpSocketEvents& events) {
    if (!EnsureWindow()) return false;
    const UINT message = NextMessage();
    if (WSAAsyncSelect(socket, m_window, message, kAllSocketEvents) == SOCKET_ERROR) return false;
    m_watched[socket] = Watched{&events, message};
    return true;
}

void SocketNotifier::Forget(SOCKET socket) { m_watched.erase(socket); }

LRESULT CALLBACK SocketNotifier::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = MessageWindowOwner<SocketNotifier>(window);
    if (self != nullptr && message >= kFirstSocketMessage && message < kFirstSocketMessage + kSocketMessageCount) {
        self->Dispatch(message, wParam, lParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void SocketNotifier::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    const auto found = m_watched.find(static_cast<SOCKET>(wParam));
    if (found == m_watched.end() || found->second.message != message) return;
    // Only read readiness matters for a datagram socket. The owner may close the socket in
    // its handler, so nothing here touches the entry afterwards.
    if (WSAGETSELECTEVENT(lParam) == FD_READ) found->second.events->OnReceive(WSAGETSELECTERROR(lParam));
}

// --- socket --------------------------------------------------------------------------

Win32UdpSocket::Win32UdpSocket(SOCKET ipv4, UdpSocketEvents& events, std::shared_ptr<SocketNotifier> notifier)
    : m_ipv4(ipv4), m_events(events), m_notifier(std::move(notifier)) {}

Win32UdpSocket::~Win32UdpSocket() {
    Close(m_ipv4);
    Close(m_ipv6);
}

void Win32UdpSocket::Close(SOCKET& socket) {
    if (socket == INVALID_SOCKET) return;
    m_notifier->Forget(socket);
    closesocket(socket);
    socket = INVALID_SOCKET;
}

SOCKET Win32UdpSocket::OpenBound(int family) {
    const SOCKET handle = socket(family, SOCK_DGRAM, IPPROTO_UDP);
    if (handle == INVALID_SOCKET) return INVALID_SOCKET;
    const IpEndpoint anyLocal{family == AF_INET6 ? IpAddress::FromIpv6({}) : IpAddress(), 0};
    const SocketAddress local = SocketAddressOf(anyLocal);
    if (bind(handle, reinterpret_cast<const sockaddr*>(&local.storage), local.length) == SOCKET_ERROR) {
        closesocket(handle);
        return INVALID_SOCKET;
    }
    return handle;
}

bool Win32UdpSocket::EnsureIpv6() {
    if (m_ipv6 != INVALID_SOCKET) return true;
    const SOCKET handle = OpenBound(AF_INET6);
    if (handle == INVALID_SOCKET) return false;
    if (!m_notifier->Watch(handle, m_events)) {
        closesocket(handle);
        return false;
    }
    m_ipv6 = handle;
    return true;
}

bool Win32UdpSocket::SendTo(const IpEndpoint& to, std::span<const std::uint8_t> bytes) {
    if (to.address.IsIpv6() && !EnsureIpv6()) return false;
    const SOCKET socket = to.address.IsIpv6() ? m_ipv6 : m_ipv4;
    const SocketAddress address = SocketAddressOf(to);
    const int sent = sendto(socket, reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()), 0,
                            reinterpret_cast<const sockaddr*>(&address.storage), address.length);
    return sent != SOCKET_ERROR;
}

std::optional<Datagram> Win32UdpSocket::ReceiveFrom(std::size_t maxBytes) {
    // The notification does not say which family's socket is readable; the sockets do not
    // block, so the one without a datagram just says so.
    for (const SOCKET socket : {m_ipv4, m_ipv6}) {
        if (socket == INVALID_SOCKET) continue;
        Datagram datagram;
        datagram.bytes.resize(maxBytes);
        sockaddr_storage from{};
        int fromLength = sizeof from;
        int got = recvfrom(socket, reinterpret_cast<char*>(datagram.bytes.data()), static_cast<int>(maxBytes), 0,
                           reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (got == SOCKET_ERROR) {
            const int error = WSAGetLastError();
            if (error == WSAEWOULDBLOCK) continue;
            // A longer datagram fills the buffer and the rest is discarded, as on other systems.
            if (error != WSAEMSGSIZE) return std::nullopt;
            got = static_cast<int>(maxBytes);
        }
        const std::optional<IpEndpoint> sender = EndpointOf(reinterpret_cast<const sockaddr*>(&from));
        if (!sender) return std::nullopt;
        datagram.bytes.resize(static_cast<std::size_t>(got));
        datagram.from = *sender;
        return datagram;
    }
    return std::nullopt;
}

} // namespace hv
