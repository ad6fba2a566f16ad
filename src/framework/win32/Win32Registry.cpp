#include "framework/win32/Win32Registry.h"

#include "framework/win32/Win32Api.h"

#include "framework/win32/Utf16.h"

#include <cstring>

namespace hv {
namespace {

HKEY RootKey(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegistryRoot::CurrentUser: break;
    }
    return HKEY_CURRENT_USER;
}

// An open key, closed when it goes out of scope.
class OpenKey {
public:
    OpenKey() = default;
    ~OpenKey() {
        if (m_key != nullptr) RegCloseKey(m_key);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    // The registry's functions return their error rather than leave it for GetLastError.
    LSTATUS Open(RegistryRoot root, std::string_view path, REGSAM access) {
        return RegOpenKeyExW(RootKey(root), Widen(path).c_str(), 0, access, &m_key);
    }
    LSTATUS Create(RegistryRoot root, std::string_view path) {
        return RegCreateKeyExW(RootKey(root), Widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                               nullptr, &m_key, nullptr);
    }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// A string as stored: it may carry its terminating zero, or stray bytes after one.
std::string StoredString(std::wstring text) {
    if (const std::size_t end = text.find(L'\0'); end != std::wstring::npos) text.resize(end);
    return Narrow(text);
}

SystemResult ResultOf(LSTATUS status) { return {static_cast<std::uint32_t>(status)}; }

} // namespace

bool Win32Registry::CanWriteRegistryKey(RegistryRoot root, std::string_view key) {
    OpenKey open;
    return open.Open(root, key, KEY_ALL_ACCESS) == ERROR_SUCCESS;
}

std::optional<RegistryValue> Win32Registry::ReadRegistryValue(const RegistryPlace& place) {
    OpenKey key;
    if (key.Open(place.root, place.key, KEY_READ) != ERROR_SUCCESS) return std::nullopt;
    const std::wstring name = Widen(place.name);
    // Asked for its size first; read again if it grew in between.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        const LSTATUS status =
            RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) return std::nullopt;
        if (type == REG_DWORD && got >= sizeof(DWORD)) {
            DWORD number = 0;
            std::memcpy(&number, buffer.data(), sizeof number);
            return RegistryValue{static_cast<std::uint32_t>(number)};
        }
        if (type == REG_SZ || type == REG_EXPAND_SZ) {
            buffer.resize(got / sizeof(wchar_t));
            return RegistryValue{StoredString(std::move(buffer))};
        }
        return std::nullopt;
    }
    return std::nullopt;
}

SystemResult Win32Registry::WriteRegistryValue(const RegistryPlace& place, const RegistryValue& value) {
    OpenKey key;
    if (const LSTATUS status = key.Create(place.root, place.key); status != ERROR_SUCCESS) return ResultOf(status);
    const std::wstring name = Widen(place.name);
    if (const auto* number = std::get_if<std::uint32_t>(&value)) {
        const DWORD data = *number;
        return ResultOf(
            RegSetValueExW(key.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data));
    }
    const std::wstring text = Widen(std::get<std::string>(value));
    const auto bytesWithZero = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return ResultOf(
        RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytesWithZero));
}

SystemResult Win32Registry::DeleteRegistryValue(const RegistryPlace& place) {
    OpenKey key;
    if (const LSTATUS status = key.Open(place.root, place.key, KEY_SET_VALUE); status != ERROR_SUCCESS) {
        return ResultOf(status);
    }
    return ResultOf(RegDeleteValueW(key.Get(), Widen(place.name).c_str()));
}

} // namespace hv
