#pragma once
#include <cstdint>

namespace hv {

// A colour as the system holds it: red in bits 0-7, green 8-15, blue 16-23.
using Colour = std::uint32_t;
constexpr Colour RgbColour(unsigned red, unsigned green, unsigned blue) {
    return (red & 0xFFu) | ((green & 0xFFu) << 8) | ((blue & 0xFFu) << 16);
}

} // namespace hv
