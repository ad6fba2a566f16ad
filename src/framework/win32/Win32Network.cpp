#include "framework/win32/Win32Network.h"

#include "framework/win32/Win32UdpSocket.h"

#include <bcrypt.h>

#include <cstring>

namespace hv {
namespace {

constexpr WORD kSocketLayerVersion = MAKEWORD(1, 1);
constexpr const char* kBroadcastAddress = "255.255.255.255";
constexpr std::size_t kIpv4AddressBytes = 4;

// The started socket layer: cleaned up once when let go.
class SocketLayerHold final : public Releasable {
public:
    ~SocketLayerHold() override { WSACleanup(); }
};

// Mixes weak entropy into well-spread bits when the system generator is unavailable.
std::uint64_t SplitMix64(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

std::uint32_t FallbackRandomBits() {
    static std::uint64_t counter = 0;
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const std::uint64_t seed = static_cast<std::uint64_t>(now.QuadPart) ^
                               (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32) ^ ++counter;
    return static_cast<std::uint32_t>(SplitMix64(seed));
}

} // namespace

Win32Network::Win32Network(HINSTANCE instance) : m_socketNotifier(std::make_shared<SocketNotifier>(instance)) {}

Held Win32Network::StartSocketLayer() {
    WSADATA data{};
    if (WSAStartup(kSocketLayerVersion, &data) != 0) return nullptr;
    if (data.wVersion != kSocketLayerVersion) {
        WSACleanup();
        return nullptr;
    }
    return std::make_unique<SocketLayerHold>();
}

std::optional<std::uint32_t> Win32Network::ResolveIpv4(std::string_view host) {
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

std::unique_ptr<UdpSocket> Win32Network::OpenUdpSocket(UdpSocketEvents& events) {
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

std::uint32_t Win32Network::RandomBits() {
    std::uint32_t bits = 0;
    const NTSTATUS status = BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&bits), sizeof bits,
                                            BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    return BCRYPT_SUCCESS(status) ? bits : FallbackRandomBits();
}

} // namespace hv
