#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace hv {

enum class RegistryRoot { LocalMachine, CurrentUser, ClassesRoot };

// A value under a key: a string (REG_SZ) or a 32-bit number (REG_DWORD).
using RegistryValue = std::variant<std::string, std::uint32_t>;

// Where a value lives: root, key path and value name (empty for the key's default value).
struct RegistryPlace {
    RegistryRoot root;
    std::string_view key;
    std::string_view name;
};

// The value when it is of the type asked for; nothing when it is missing or of another type.
template <typename T>
std::optional<T> ValueAs(const std::optional<RegistryValue>& value) {
    if (!value) return std::nullopt;
    if (const T* typed = std::get_if<T>(&*value)) return *typed;
    return std::nullopt;
}

} // namespace hv
