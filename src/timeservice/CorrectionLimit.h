#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace hv {

// A year (of 366 days): the largest correction an administrator may allow.
constexpr std::uint32_t kLongestLimitSeconds = 366u * 24 * 60 * 60;

// The limit command's argument: whole decimal seconds from 1 to kLongestLimitSeconds, nothing
// else (no sign, no blanks, no unit).
std::optional<std::uint32_t> ParseCorrectionLimit(std::string_view text);

} // namespace hv
