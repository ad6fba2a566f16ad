#include "framework/win32/Win32UdpSocket.h"

namespace hv {
namespace {

constexpr const wchar_t* kNotifierWindowClass = L"HorvaneSocketNotifier";
constexpr long kAllSocketEvents = FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE;
static_assert(kAllSocketEvents == 0x3F);
// Every socket gets its own notification message, so a notification still queued for a
// closed socket cannot be taken for one of a new socket that was given the same handle.
constexpr UINT kFirstSocketMessage = WM_APP;
constexpr UINT kSocketMessageCount = 0xC000 - WM_APP;

} // namespace

sockaddr_in SocketAddressOf(const Ipv4Endpoint& endpoint) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(endpoint.port);
    address.sin_addr.s_addr = htonl(endpoint.address);
    return address;
}

// --- notification window -----------------------------------------------------------------

SocketNotifier::SocketNotifier(HINSTANCE instance) : m_instance(instance) {}

SocketNotifier::~SocketNotifier() {
    if (m_window != nullptr) DestroyWindow(m_window);
}

bool SocketNotifier::EnsureWindow() {
    if (m_window != nullptr) return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &SocketNotifier::WindowProc;
    windowClass.hInstance = m_instance;
    windowClass.lpszClassName = kNotifierWindowClass;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    m_window = CreateWindowExW(0, kNotifierWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, m_instance,
                               nullptr);
    if (m_window == nullptr) return false;
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
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
    auto* self = reinterpret_cast<SocketNotifier*>(GetWindowLongPtrW(window, GWLP_USERDATA));
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

Win32UdpSocket::Win32UdpSocket(SOCKET socket, std::shared_ptr<SocketNotifier> notifier)
    : m_socket(socket), m_notifier(std::move(notifier)) {}

Win32UdpSocket::~Win32UdpSocket() {
    m_notifier->Forget(m_socket);
    closesocket(m_socket);
}

bool Win32UdpSocket::SendTo(const Ipv4Endpoint& to, std::span<const std::uint8_t> bytes) {
    const sockaddr_in address = SocketAddressOf(to);
    const int sent = sendto(m_socket, reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()), 0,
                            reinterpret_cast<const sockaddr*>(&address), sizeof address);
    return sent != SOCKET_ERROR;
}

std::optional<Datagram> Win32UdpSocket::ReceiveFrom(std::size_t maxBytes) {
    Datagram datagram;
    datagram.bytes.resize(maxBytes);
    sockaddr_in from{};
    int fromLength = sizeof from;
    int got = recvfrom(m_socket, reinterpret_cast<char*>(datagram.bytes.data()), static_cast<int>(maxBytes), 0,
                       reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (got == SOCKET_ERROR) {
        // A longer datagram fills the buffer and the rest is discarded, as on other systems.
        if (WSAGetLastError() != WSAEMSGSIZE) return std::nullopt;
        got = static_cast<int>(maxBytes);
    }
    datagram.bytes.resize(static_cast<std::size_t>(got));
    datagram.from.address = ntohl(from.sin_addr.s_addr);
    datagram.from.port = ntohs(from.sin_port);
    return datagram;
}

} // namespace hv
