#pragma once
#include "framework/ClockRole.h"
#include "framework/win32/Win32Api.h"

namespace hv {

// The system clock, read at the full resolution the system offers.
class Win32Clock : public virtual ClockRole {
public:
    Win32Clock();

    std::int64_t NowMicroseconds() override;
    CivilTime ToLocalTime(std::int64_t unixSeconds) override;
    bool SetSystemTimeUtc(const CivilTime& utc) override;

private:
    using PreciseClock = void(WINAPI*)(FILETIME*);
    PreciseClock m_preciseClock = nullptr;
};

} // namespace hv
