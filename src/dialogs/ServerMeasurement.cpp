#include "dialogs/ServerMeasurement.h"

#include "settings/ServerList.h"

#include <cstdio>

namespace hv {

bool IsStorableServerText(std::string_view text) {
    return text.find_first_of(std::string{kEntryEnd, kAddressOpen, kAddressClose}) == std::string_view::npos;
}

std::string FormatDelay(const char* format, double seconds) {
    const int length = std::snprintf(nullptr, 0, format, seconds);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, seconds);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

} // namespace hv
