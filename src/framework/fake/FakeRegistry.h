#pragma once
#include "framework/RegistryRole.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace hv {

// The registry in memory. A key denied writing refuses every change under it with
// `writeDeniedError`, as the system names its refusal.
class FakeRegistry : public virtual RegistryRole {
public:
    static constexpr std::uint32_t kErrorAccessDenied = 5;
    static constexpr std::uint32_t kErrorFileNotFound = 2;

    // "HKLM\\path", "HKCU\\path" or "HKCR\\path" -> value name ("" the default) -> value.
    std::map<std::string, std::map<std::string, RegistryValue>> registry;
    std::set<std::string> registryKeysDeniedWrite;
    std::uint32_t writeDeniedError = kErrorAccessDenied;

    bool CanWriteRegistryKey(RegistryRoot root, std::string_view key) override;
    std::optional<RegistryValue> ReadRegistryValue(const RegistryPlace& place) override;
    SystemResult WriteRegistryValue(const RegistryPlace& place, const RegistryValue& value) override;
    SystemResult DeleteRegistryValue(const RegistryPlace& place) override;
    // The registry map's name of a key: "HKLM\\path", "HKCU\\path" or "HKCR\\path".
    static std::string RegistryKeyName(RegistryRoot root, std::string_view key);
};

} // namespace hv
