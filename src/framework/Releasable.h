#pragma once
#include <memory>

namespace hv {

// Something the system holds for the program (a named lock, the started socket layer) for
// exactly as long as this object lives.
class Releasable {
public:
    virtual ~Releasable() = default;
};

using Held = std::unique_ptr<Releasable>;

} // namespace hv
