#include "framework/win32/Win32Network.h"

#include "framework/win32/Utf16.h"
#include "framework/win32/Win32NameResolver.h"
#include "framework/win32/Win32UdpSocket.h"

#include <bcrypt.h>

namespace hv {
namespace {

constexpr WORD kSocketLayerVersion = MAKEWORD(1, 1);

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

Win32Network::Win32Network(HINSTANCE instance)
    : m_socketNotifier(std::make_shared<SocketNotifier>(instance)),
      m_resolver(std::make_unique<Win32NameResolver>(instance)) {}

Win32Network::~Win32Network() = default;

Held Win32Network::StartSocketLayer() {
    WSADATA data{};
    if (WSAStartup(kSocketLayerVersion, &data) != 0) return nullptr;
    if (data.wVersion != kSocketLayerVersion) {
        WSACleanup();
        return nullptr;
    }
    return std::make_unique<SocketLayerHold>();
}

std::vector<IpAddress> Win32Network::ResolveHost(std::string_view host) {
    // An empty name would make the resolver answer with this computer's own address.
    if (host.empty()) return {};
    if (const auto literal = ParseIpLiteral(host)) return {*literal};
    return LookUpHost(Widen(host));
}

std::unique_ptr<PendingLookup> Win32Network::StartLookup(std::string_view host, LookupEvents& events) {
    return m_resolver->StartLookup(host, events);
}

std::unique_ptr<UdpSocket> Win32Network::OpenUdpSocket(UdpSocketEvents& events) {
    const SOCKET handle = Win32UdpSocket::OpenBound(AF_INET);
    if (handle == INVALID_SOCKET) return nullptr;
    if (!m_socketNotifier->Watch(handle, events)) {
        closesocket(handle);
        return nullptr;
    }
    return std::make_unique<Win32UdpSocket>(handle, events, m_socketNotifier);
}

std::uint32_t Win32Network::RandomBits() {
    std::uint32_t bits = 0;
    const NTSTATUS status =
        BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&bits), sizeof bits, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    return BCRYPT_SUCCESS(status) ? bits : FallbackRandomBits();
}

} // namespace hv
