#pragma once
#include <windows.h>

namespace driver {

constexpr DWORD kPollIntervalMs = 25;

// Polls `condition` until it holds or the period has passed; checks once more at the end
// so that a zero period still answers the question.
template <typename Condition>
bool PollUntil(double seconds, Condition condition) {
    constexpr double kMsPerSecond = 1000.0;
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * kMsPerSecond);
    while (GetTickCount64() < deadline) {
        if (condition()) return true;
        Sleep(kPollIntervalMs);
    }
    return condition();
}

} // namespace driver
