#include "framework/win32/Win32Clock.h"

#include "framework/TimeUnits.h"

namespace hv {
namespace {

// FILETIME counts 100-nanosecond ticks since 1601-01-01 00:00 UTC.
constexpr std::int64_t kTicksPerMicrosecond = 10;
constexpr std::int64_t kTicksPerSecond = kTicksPerMicrosecond * kMicrosPerSecond;
constexpr std::int64_t kUnixEpochTicks = 116'444'736'000'000'000;

std::int64_t TicksOf(const FILETIME& time) {
    const std::uint64_t ticks = (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<std::int64_t>(ticks);
}

FILETIME FileTimeOf(std::int64_t ticks) {
    const auto bits = static_cast<std::uint64_t>(ticks);
    FILETIME time{};
    time.dwLowDateTime = static_cast<DWORD>(bits & 0xFFFFFFFFu);
    time.dwHighDateTime = static_cast<DWORD>(bits >> 32);
    return time;
}

CivilTime CivilOf(const SYSTEMTIME& time) {
    CivilTime civil;
    civil.year = time.wYear;
    civil.month = time.wMonth;
    civil.day = time.wDay;
    civil.hour = time.wHour;
    civil.minute = time.wMinute;
    civil.second = time.wSecond;
    civil.weekday = time.wDayOfWeek;
    civil.millisecond = time.wMilliseconds;
    return civil;
}

} // namespace

Win32Clock::Win32Clock() {
    // Windows 8 and later offer the clock at its full resolution; older systems tick at
    // the scheduler's pace, which is still better than nothing.
    if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
        if (FARPROC proc = GetProcAddress(kernel, "GetSystemTimePreciseAsFileTime")) {
            // Through the generic function type, which converts to any other without a warning.
            m_preciseClock = reinterpret_cast<PreciseClock>(reinterpret_cast<void (*)()>(proc));
        }
    }
}

std::int64_t Win32Clock::NowMicroseconds() {
    FILETIME now{};
    if (m_preciseClock != nullptr) {
        m_preciseClock(&now);
    } else {
        GetSystemTimeAsFileTime(&now);
    }
    return (TicksOf(now) - kUnixEpochTicks) / kTicksPerMicrosecond;
}

CivilTime Win32Clock::ToLocalTime(std::int64_t unixSeconds) {
    const FILETIME utcFile = FileTimeOf(unixSeconds * kTicksPerSecond + kUnixEpochTicks);
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    if (!FileTimeToSystemTime(&utcFile, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
        // Outside the range the system converts: the UTC reading is the best left to give.
        return CivilFromUnixSeconds(unixSeconds);
    }
    return CivilOf(local);
}

bool Win32Clock::SetSystemTimeUtc(const CivilTime& utc) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(utc.year);
    time.wMonth = static_cast<WORD>(utc.month);
    time.wDay = static_cast<WORD>(utc.day);
    time.wDayOfWeek = static_cast<WORD>(utc.weekday);
    time.wHour = static_cast<WORD>(utc.hour);
    time.wMinute = static_cast<WORD>(utc.minute);
    time.wSecond = static_cast<WORD>(utc.second);
    time.wMilliseconds = static_cast<WORD>(utc.millisecond);
    return SetSystemTime(&time) != FALSE;
}

} // namespace hv
