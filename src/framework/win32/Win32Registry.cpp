#include "framework/win32/Win32Platform.h"

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

    bool Open(RegistryRoot root, std::string_view path, REGSAM access) {
        return RegOpenKeyExW(RootKey(root), Widen(path).c_str(), 0, access, &m_key) == ERROR_SUCCESS;
    }
    bool Create(RegistryRoot root, std::string_view path) {
        return RegCreateKeyExW(RootKey(root), Widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                               nullptr, &m_key, nullptr) == ERROR_SUCCESS;
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

} // namespace

bool Win32Platform::CanWriteRegistryKey(RegistryRoot root, std::string_view key) {
    OpenKey open;
    return open.Open(root, key, KEY_ALL_ACCESS);
}

std::optional<RegistryValue> Win32Platform::ReadRegistryValue(const RegistryPlace& place) {
    OpenKey key;
    if (!key.Open(place.root, place.key, KEY_READ)) return std::nullopt;
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
        const LSTATUS status = RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type,
                                                reinterpret_cast<BYTE*>(buffer.data()), &got);
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

bool Win32Platform::WriteRegistryValue(const RegistryPlace& place, const RegistryValue& value) {
    OpenKey key;
    if (!key.Create(place.root, place.key)) return false;
    const std::wstring name = Widen(place.name);
    if (const auto* number = std::get_if<std::uint32_t>(&value)) {
        const DWORD data = *number;
        return RegSetValueExW(key.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                              sizeof data) == ERROR_SUCCESS;
    }
    const std::wstring text = Widen(std::get<std::string>(value));
    const auto bytesWithZero = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          bytesWithZero) == ERROR_SUCCESS;
}

bool Win32Platform::DeleteRegistryValue(const RegistryPlace& place) {
    OpenKey key;
    if (!key.Open(place.root, place.key, KEY_SET_VALUE)) return false;
    return RegDeleteValueW(key.Get(), Widen(place.name).c_str()) == ERROR_SUCCESS;
}

} // namespace hv
