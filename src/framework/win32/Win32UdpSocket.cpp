#include "framework/win32/Win32UdpSocket.h"

#include "framework/win32/Win32Platform.h"

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
constexpr const char* kBroadcastAddress = "255.255.255.255";
constexpr std::size_t kIpv4AddressBytes = 4;

sockaddr_in SocketAddressOf(const Ipv4Endpoint& endpoint) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(endpoint.port);
    address.sin_addr.s_addr = htonl(endpoint.address);
    return address;
}

} // namespace

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

// --- the platform's network calls --------------------------------------------------------

std::optional<std::uint32_t> Win32Platform::ResolveIpv4(std::string_view host) {
    // An empty name would make the resolver answer with this computer's own address.
    if (host.empty()) return std::nullopt;
    const std::string name(host);
    const unsigned long dotted = inet_addr(name.c_str());
    // The broadcast address is the one dotted address that reads like inet_addr's failure.
    if (dotted != INADDR_NONE || name == kBroadcastAddress) return ntohl(dotted);
    const hostent* entry = gethostbyname(name.c_str());
    if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_length != kIpv4AddressBytes ||
        entry->h_addr_list[0] == nullptr) {
        return std::nullopt;
    }
    in_addr address{};
    std::memcpy(&address, entry->h_addr_list[0], kIpv4AddressBytes);
    return ntohl(address.s_addr);
}

std::unique_ptr<UdpSocket> Win32Platform::OpenUdpSocket(UdpSocketEvents& events) {
    const SOCKET handle = socket(AF_INET, SOCK_DGRAM, 0);
    if (handle == INVALID_SOCKET) return nullptr;
    const sockaddr_in anyLocal = SocketAddressOf(Ipv4Endpoint{});
    if (bind(handle, reinterpret_cast<const sockaddr*>(&anyLocal), sizeof anyLocal) == SOCKET_ERROR ||
        !m_socketNotifier->Watch(handle, events)) {
        closesocket(handle);
        return nullptr;
    }
    return std::make_unique<Win32UdpSocket>(handle, m_socketNotifier);
}

} // namespace hv
