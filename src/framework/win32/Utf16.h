#pragma once
#include <string>
#include <string_view>

namespace hv {

// The core speaks UTF-8; the system's wide-character API speaks UTF-16. Conversions happen
// here and nowhere else. Invalid input becomes replacement characters, never an error.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// Whether bytes are valid UTF-8 (a zero byte included).
bool IsUtf8(std::string_view bytes);
// Text in the system's ANSI code page, as older programs wrote it, converted to UTF-8.
std::string Utf8FromAnsi(std::string_view ansi);

} // namespace hv
