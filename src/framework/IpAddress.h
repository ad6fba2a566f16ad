#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace hv {

// An IPv4 or an IPv6 address. IPv4 is the common case and is made from its 32 bits in host
// byte order; IPv6 keeps its 16 bytes in network order.
class IpAddress {
public:
    using Ipv6Bytes = std::array<std::uint8_t, 16>;

    constexpr IpAddress() = default;
    // Deliberately implicit: an IPv4 address reads naturally as its number.
    constexpr IpAddress(std::uint32_t ipv4) : m_ipv4(ipv4) {} // NOLINT(google-explicit-constructor)
    static constexpr IpAddress FromIpv6(const Ipv6Bytes& bytes) {
        IpAddress address;
        address.m_isIpv6 = true;
        address.m_ipv6 = bytes;
        return address;
    }

    constexpr bool IsIpv6() const { return m_isIpv6; }
    constexpr std::uint32_t Ipv4() const { return m_ipv4; }
    constexpr const Ipv6Bytes& Ipv6() const { return m_ipv6; }
    bool operator==(const IpAddress&) const = default;

private:
    bool m_isIpv6 = false;
    std::uint32_t m_ipv4 = 0;
    Ipv6Bytes m_ipv6{};
};

// An address and a port (host byte order).
struct IpEndpoint {
    IpAddress address;
    std::uint16_t port = 0;
    bool operator==(const IpEndpoint&) const = default;
};

// A numeric address as a user types it: dotted IPv4 ("192.0.2.7", four decimal parts) or
// IPv6 in its text form ("::1", "2001:db8::123", "::ffff:192.0.2.7"). Nothing for a host
// name or anything malformed; the resolver is then asked.
std::optional<IpAddress> ParseIpLiteral(std::string_view text);

// The one text form of an address: dotted IPv4, or IPv6 in RFC 5952's manner (lower case,
// no leading zeros, the longest run of two or more zero groups as "::").
std::string FormatIpAddress(const IpAddress& address);

} // namespace hv
