#pragma once
#include "framework/Registry.h"
#include "framework/SystemResult.h"

#include <optional>
#include <string_view>

namespace hv {

// Values under the registry's keys.
class RegistryRole {
public:
    virtual ~RegistryRole() = default;

    // Whether the key exists and opens for full access (reading, writing, deleting).
    virtual bool CanWriteRegistryKey(RegistryRoot root, std::string_view key) = 0;
    // The whole value, however long; nothing when it is absent or cannot be read.
    virtual std::optional<RegistryValue> ReadRegistryValue(const RegistryPlace& place) = 0;
    // Creates the key when it is missing; the system's error when it cannot be created or written.
    virtual SystemResult WriteRegistryValue(const RegistryPlace& place, const RegistryValue& value) = 0;
    // The system's error also when there is no such value or key.
    virtual SystemResult DeleteRegistryValue(const RegistryPlace& place) = 0;
};

} // namespace hv
