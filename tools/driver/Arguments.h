#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace driver {

// Message numbers and parameters are given in decimal (a leading minus allowed) or as
// 0x-prefixed hexadecimal, the way Win32 headers and logs spell them.
std::optional<std::int64_t> ParseNumber(std::string_view text);

// Waiting periods may be fractional: "0.5" is half a second.
std::optional<double> ParseSeconds(std::string_view text);

} // namespace driver
