#pragma once
#include <cstdint>

namespace hv {

// A window's timer on the fake clock's passing time.
struct FakeTimer {
    unsigned periodMs;
    std::int64_t nextDueElapsedMicros;
};

} // namespace hv
