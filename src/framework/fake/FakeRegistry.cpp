#include "framework/fake/FakeRegistry.h"

namespace hv {

std::string FakeRegistry::RegistryKeyName(RegistryRoot root, std::string_view key) {
    switch (root) {
    case RegistryRoot::LocalMachine: return "HKLM\\" + std::string(key);
    case RegistryRoot::ClassesRoot: return "HKCR\\" + std::string(key);
    case RegistryRoot::CurrentUser: break;
    }
    return "HKCU\\" + std::string(key);
}

bool FakeRegistry::CanWriteRegistryKey(RegistryRoot root, std::string_view key) {
    return registryKeysDeniedWrite.count(RegistryKeyName(root, key)) == 0;
}

std::optional<RegistryValue> FakeRegistry::ReadRegistryValue(const RegistryPlace& place) {
    const auto key = registry.find(RegistryKeyName(place.root, place.key));
    if (key == registry.end()) return std::nullopt;
    const auto value = key->second.find(std::string(place.name));
    if (value == key->second.end()) return std::nullopt;
    return value->second;
}

SystemResult FakeRegistry::WriteRegistryValue(const RegistryPlace& place, const RegistryValue& value) {
    if (!CanWriteRegistryKey(place.root, place.key)) return {writeDeniedError};
    registry[RegistryKeyName(place.root, place.key)][std::string(place.name)] = value;
    return kSystemOk;
}

SystemResult FakeRegistry::DeleteRegistryValue(const RegistryPlace& place) {
    if (!CanWriteRegistryKey(place.root, place.key)) return {writeDeniedError};
    const auto key = registry.find(RegistryKeyName(place.root, place.key));
    if (key == registry.end() || key->second.erase(std::string(place.name)) == 0) return {kErrorFileNotFound};
    return kSystemOk;
}

} // namespace hv
