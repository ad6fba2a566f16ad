#pragma once
#include "framework/RegistryRole.h"

namespace hv {

// The registry through the Win32 API; a refused change carries the status the call returned.
class Win32Registry : public virtual RegistryRole {
public:
    bool CanWriteRegistryKey(RegistryRoot root, std::string_view key) override;
    std::optional<RegistryValue> ReadRegistryValue(const RegistryPlace& place) override;
    SystemResult WriteRegistryValue(const RegistryPlace& place, const RegistryValue& value) override;
    SystemResult DeleteRegistryValue(const RegistryPlace& place) override;
};

} // namespace hv
