#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace hv {

// Text from outside (another process, the registry, the keyboard) is cleaned before it is
// shown or kept.
bool IsControlCharacter(char c);

// One line fit to show: control characters removed, cut to at most `limit` bytes at the
// start of a UTF-8 character.
std::string PrintableLine(std::string_view text, std::size_t limit);

} // namespace hv
