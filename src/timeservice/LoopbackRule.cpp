#include "timeservice/LoopbackRule.h"

#include <charconv>

namespace hv {
namespace {
constexpr int kParts = 4;
constexpr unsigned kLargestPart = 255;
constexpr std::size_t kLongestPart = 3;
constexpr std::uint32_t kLoopbackNetwork = 0x7F000000;  // 127.0.0.0/8
constexpr std::uint32_t kLoopbackMask = 0xFF000000;
} // namespace

bool IsDottedIpv4(std::string_view text) {
    for (int part = 0; part < kParts; ++part) {
        const std::size_t end = part + 1 < kParts ? text.find('.') : text.size();
        if (end == std::string_view::npos || end == 0 || end > kLongestPart) return false;
        unsigned value = 0;
        const auto [next, error] = std::from_chars(text.data(), text.data() + end, value);
        if (error != std::errc{} || next != text.data() + end || value > kLargestPart) return false;
        text.remove_prefix(part + 1 < kParts ? end + 1 : end);
    }
    return text.empty();
}

std::string DottedIpv4(std::uint32_t address) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        if (!text.empty()) text += '.';
        text += std::to_string((address >> shift) & 0xFF);
    }
    return text;
}

bool MayQuery(std::string_view approvedName, std::uint32_t address) {
    if ((address & kLoopbackMask) != kLoopbackNetwork) return true;
    return IsDottedIpv4(approvedName);
}

} // namespace hv
