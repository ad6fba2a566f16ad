#pragma once
#include <cstdint>

namespace hv {

// How a change the system may refuse ended: done, or the system's own error number, taken
// at the moment of the refusal (read later, the thread's last error tells of another call).
struct SystemResult {
    std::uint32_t error = 0;

    bool Ok() const { return error == 0; }
    explicit operator bool() const { return Ok(); }
};

constexpr SystemResult kSystemOk{};

} // namespace hv
