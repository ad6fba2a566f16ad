#pragma once
#include <string>
#include <string_view>

namespace hv {

// The core speaks UTF-8; the system's wide-character API speaks UTF-16. Conversions happen
// here and nowhere else. Invalid input becomes replacement characters, never an error.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

} // namespace hv
