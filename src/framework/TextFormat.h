#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

namespace hv {

// A printf format filled in, as long as it comes out: the texts the program shows and logs
// are made this way and never cut short.
template <typename... Values>
std::string FormatText(const char* format, Values... values) {
    const int length = std::snprintf(nullptr, 0, format, values...);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, values...);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

} // namespace hv
