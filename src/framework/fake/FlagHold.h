#pragma once
#include "framework/Releasable.h"

namespace hv {

// A hold that sets a flag of a fake while it lives and clears it when let go.
class FlagHold final : public Releasable {
public:
    explicit FlagHold(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FlagHold() override { m_flag = false; }
    FlagHold(const FlagHold&) = delete;
    FlagHold& operator=(const FlagHold&) = delete;

private:
    bool& m_flag;
};

} // namespace hv
