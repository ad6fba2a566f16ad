#include "framework/IpAddress.h"

#include <charconv>
#include <cstdio>
#include <vector>

namespace hv {
namespace {

constexpr int kIpv4Parts = 4;
constexpr unsigned kMaxOctet = 255;
constexpr std::size_t kIpv6Groups = 8;
constexpr std::size_t kMaxGroupDigits = 4;
constexpr std::string_view kCompressed = "::";

std::optional<std::uint32_t> ParseDottedIpv4(std::string_view text) {
    std::uint32_t address = 0;
    for (int part = 0; part < kIpv4Parts; ++part) {
        if (part > 0) {
            if (text.empty() || text.front() != '.') return std::nullopt;
            text.remove_prefix(1);
        }
        unsigned octet = 0;
        const auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), octet);
        const std::size_t digits = static_cast<std::size_t>(next - text.data());
        if (error != std::errc{} || octet > kMaxOctet || digits == 0 || digits > 3) return std::nullopt;
        address = (address << 8) | octet;
        text.remove_prefix(digits);
    }
    if (!text.empty()) return std::nullopt;
    return address;
}

// The groups of one side of "::" ("2001:db8", "" for none); a dotted IPv4 tail counts as
// two groups where it is allowed.
std::optional<std::vector<std::uint16_t>> ParseGroups(std::string_view text, bool ipv4TailAllowed) {
    std::vector<std::uint16_t> groups;
    if (text.empty()) return groups;
    for (;;) {
        const std::size_t colon = text.find(':');
        const std::string_view group = text.substr(0, colon);
        if (colon == std::string_view::npos && ipv4TailAllowed && group.find('.') != std::string_view::npos) {
            const auto tail = ParseDottedIpv4(group);
            if (!tail) return std::nullopt;
            groups.push_back(static_cast<std::uint16_t>(*tail >> 16));
            groups.push_back(static_cast<std::uint16_t>(*tail & 0xFFFF));
            return groups;
        }
        unsigned value = 0;
        const auto [next, error] = std::from_chars(group.data(), group.data() + group.size(), value, 16);
        if (group.empty() || group.size() > kMaxGroupDigits || error != std::errc{} ||
            next != group.data() + group.size()) {
            return std::nullopt;
        }
        groups.push_back(static_cast<std::uint16_t>(value));
        if (colon == std::string_view::npos) return groups;
        text.remove_prefix(colon + 1);
    }
}

std::optional<IpAddress> ParseIpv6(std::string_view text) {
    const std::size_t gap = text.find(kCompressed);
    std::optional<std::vector<std::uint16_t>> head;
    std::optional<std::vector<std::uint16_t>> tail;
    if (gap == std::string_view::npos) {
        head = ParseGroups(text, true);
        tail.emplace();
        if (!head || head->size() != kIpv6Groups) return std::nullopt;
    } else {
        const std::string_view after = text.substr(gap + kCompressed.size());
        if (after.find(kCompressed) != std::string_view::npos) return std::nullopt;
        head = ParseGroups(text.substr(0, gap), false);
        tail = ParseGroups(after, true);
        // "::" stands for at least one group of zeros.
        if (!head || !tail || head->size() + tail->size() >= kIpv6Groups) return std::nullopt;
    }
    IpAddress::Ipv6Bytes bytes{};
    const auto put = [&bytes](std::size_t index, std::uint16_t group) {
        bytes[2 * index] = static_cast<std::uint8_t>(group >> 8);
        bytes[2 * index + 1] = static_cast<std::uint8_t>(group & 0xFF);
    };
    for (std::size_t i = 0; i < head->size(); ++i) put(i, (*head)[i]);
    for (std::size_t i = 0; i < tail->size(); ++i) put(kIpv6Groups - tail->size() + i, (*tail)[i]);
    return IpAddress::FromIpv6(bytes);
}

} // namespace

std::optional<IpAddress> ParseIpLiteral(std::string_view text) {
    if (text.find(':') != std::string_view::npos) return ParseIpv6(text);
    if (const auto ipv4 = ParseDottedIpv4(text)) return IpAddress(*ipv4);
    return std::nullopt;
}

std::string FormatIpAddress(const IpAddress& address) {
    char text[48];
    if (!address.IsIpv6()) {
        const std::uint32_t v = address.Ipv4();
        std::snprintf(text, sizeof text, "%u.%u.%u.%u", v >> 24, (v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
        return text;
    }
    std::uint16_t groups[kIpv6Groups];
    for (std::size_t i = 0; i < kIpv6Groups; ++i) {
        groups[i] = static_cast<std::uint16_t>((address.Ipv6()[2 * i] << 8) | address.Ipv6()[2 * i + 1]);
    }
    // The longest run of zero groups, the first of equal ones; a single zero stays.
    std::size_t bestStart = kIpv6Groups;
    std::size_t bestLength = 1;
    for (std::size_t i = 0; i < kIpv6Groups;) {
        std::size_t end = i;
        while (end < kIpv6Groups && groups[end] == 0) ++end;
        if (end - i > bestLength) {
            bestStart = i;
            bestLength = end - i;
        }
        i = end == i ? i + 1 : end;
    }
    std::string out;
    for (std::size_t i = 0; i < kIpv6Groups; ++i) {
        if (i == bestStart) {
            out += kCompressed;
            i += bestLength - 1;
            continue;
        }
        if (!out.empty() && out.back() != ':') out += ':';
        std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(groups[i]));
        out += text;
    }
    return out;
}

} // namespace hv
