#include "Arguments.h"

#include <charconv>

namespace driver {

namespace {

constexpr std::string_view kHexPrefix = "0x";
constexpr int kHexBase = 16;
constexpr int kDecimalBase = 10;

std::optional<std::uint64_t> ParseUnsigned(std::string_view digits, int base) {
    if (digits.empty()) return std::nullopt;
    std::uint64_t value = 0;
    const char* end = digits.data() + digits.size();
    auto [stop, error] = std::from_chars(digits.data(), end, value, base);
    if (error != std::errc{} || stop != end) return std::nullopt;
    return value;
}

} // namespace

std::optional<std::int64_t> ParseNumber(std::string_view text) {
    if (text.starts_with(kHexPrefix) || text.starts_with("0X")) {
        // Hexadecimal is a bit pattern: 0xFFFFFFFFFFFFFFFF is -1 as a parameter.
        auto bits = ParseUnsigned(text.substr(kHexPrefix.size()), kHexBase);
        if (!bits) return std::nullopt;
        return static_cast<std::int64_t>(*bits);
    }
    bool negative = text.starts_with('-');
    auto magnitude = ParseUnsigned(negative ? text.substr(1) : text, kDecimalBase);
    if (!magnitude) return std::nullopt;
    auto value = static_cast<std::int64_t>(*magnitude);
    return negative ? -value : value;
}

std::optional<double> ParseSeconds(std::string_view text) {
    double value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end || value < 0) return std::nullopt;
    return value;
}

} // namespace driver
