#pragma once

namespace hv {

// Keeps a handler from running inside itself: a modal dialog's nested message loop can
// deliver the command that opened it again. The flag is set for exactly the guard's life,
// so no path out of the handler can leave it set.
class ReentryGuard {
public:
    explicit ReentryGuard(bool& busy) : m_busy(busy), m_entered(!busy) { m_busy = true; }
    ~ReentryGuard() {
        if (m_entered) m_busy = false;
    }
    ReentryGuard(const ReentryGuard&) = delete;
    ReentryGuard& operator=(const ReentryGuard&) = delete;

    // False when the handler was already running: the caller returns at once.
    bool Entered() const { return m_entered; }

private:
    bool& m_busy;
    bool m_entered;
};

} // namespace hv
