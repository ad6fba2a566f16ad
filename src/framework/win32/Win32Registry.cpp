#include "framework/win32/Win32Platform.h"

#include <algorithm>

namespace hv {
namespace {

HKEY KeyOf(RegistryKey key) { return reinterpret_cast<HKEY>(key); }

HKEY RootKey(RegistryRoot root) {
    return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

} // namespace

std::optional<RegistryKey> Win32Platform::OpenRegistryKey(RegistryRoot root, std::string_view path,
                                                          bool fullAccess) {
    const std::string subKey(path);
    HKEY key = nullptr;
    const REGSAM access = fullAccess ? KEY_ALL_ACCESS : KEY_READ;
    if (RegOpenKeyExA(RootKey(root), subKey.c_str(), 0, access, &key) != ERROR_SUCCESS) return std::nullopt;
    return reinterpret_cast<RegistryKey>(key);
}

std::optional<std::string> Win32Platform::ReadRegistryString(RegistryKey key, std::string_view name,
                                                             std::size_t bufferBytes) {
    // Exactly the caller's buffer: a longer value fails with ERROR_MORE_DATA and counts as absent.
    const std::string valueName(name);
    std::string buffer(bufferBytes, '\0');
    DWORD size = static_cast<DWORD>(bufferBytes);
    if (RegQueryValueExA(KeyOf(key), valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    buffer.resize(std::min<std::size_t>(size, bufferBytes));
    // A stored string may carry its terminating zero, or stray bytes after one.
    if (const std::size_t end = buffer.find('\0'); end != std::string::npos) buffer.resize(end);
    return buffer;
}

bool Win32Platform::WriteRegistryString(RegistryKey key, std::string_view name, std::string_view value) {
    const std::string valueName(name);
    const std::string data(value);
    const auto bytesWithZero = static_cast<DWORD>(data.size() + 1);
    return RegSetValueExA(KeyOf(key), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          bytesWithZero) == ERROR_SUCCESS;
}

bool Win32Platform::DeleteRegistryValue(RegistryKey key, std::string_view name) {
    const std::string valueName(name);
    return RegDeleteValueA(KeyOf(key), valueName.c_str()) == ERROR_SUCCESS;
}

void Win32Platform::CloseRegistryKey(RegistryKey key) { RegCloseKey(KeyOf(key)); }

} // namespace hv
