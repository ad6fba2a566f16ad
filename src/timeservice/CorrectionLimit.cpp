#include "timeservice/CorrectionLimit.h"

#include <charconv>

namespace hv {

std::optional<std::uint32_t> ParseCorrectionLimit(std::string_view text) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end || value < 1 || value > kLongestLimitSeconds) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

} // namespace hv
