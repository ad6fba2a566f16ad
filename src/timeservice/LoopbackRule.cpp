#include "timeservice/LoopbackRule.h"

#include <algorithm>

namespace hv {
namespace {
constexpr std::uint32_t kLoopbackNetwork = 0x7F000000; // 127.0.0.0/8
constexpr std::uint32_t kLoopbackMask = 0xFF000000;
constexpr std::size_t kMappedPrefixBytes = 10; // ::ffff:a.b.c.d, IPv4 written as IPv6
constexpr std::size_t kMappedMarkBytes = 2;

bool IsIpv4Loopback(std::uint32_t address) { return (address & kLoopbackMask) == kLoopbackNetwork; }

bool IsLoopback(const IpAddress& address) {
    if (!address.IsIpv6()) return IsIpv4Loopback(address.Ipv4());
    const IpAddress::Ipv6Bytes& bytes = address.Ipv6();
    const auto zero = [](std::uint8_t b) { return b == 0; };
    // ::1
    if (std::all_of(bytes.begin(), bytes.end() - 1, zero) && bytes.back() == 1) return true;
    const bool mapped = std::all_of(bytes.begin(), bytes.begin() + kMappedPrefixBytes, zero) &&
                        bytes[kMappedPrefixBytes] == 0xFF && bytes[kMappedPrefixBytes + 1] == 0xFF;
    const std::size_t ipv4At = kMappedPrefixBytes + kMappedMarkBytes;
    return mapped && bytes[ipv4At] == (kLoopbackNetwork >> 24);
}
} // namespace

bool MayQuery(std::string_view approvedName, const IpAddress& address) {
    if (!IsLoopback(address)) return true;
    return ParseIpLiteral(approvedName).has_value();
}

} // namespace hv
