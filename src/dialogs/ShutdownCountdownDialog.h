#pragma once
#include "framework/Dialog.h"
#include "framework/Platform.h"

#include <functional>

namespace hv {

// The last warning before a scheduled shutdown: counts 20 seconds down in a small window that
// Esc or Enter cancels, then asks the system to switch the computer off. It stays open
// afterwards (showing 0) until dismissed, or until the session ends.
class ShutdownCountdownDialog final : public Dialog {
public:
    // `beforePowerOff` runs right before the request, when the privilege is in hand.
    ShutdownCountdownDialog(Platform& platform, std::function<void()> beforePowerOff);

    int TemplateId() const override;
    bool IsAlarm() const override { return true; }
    // Alt+F4 is too easily pressed by a user working in another window meanwhile; the
    // cancel is Esc, as the window says.
    bool IgnoresKeyboardClose() const override { return true; }
    void OnInit(DialogView& view) override;
    void OnTimer(DialogView& view, int timerId) override;

private:
    Platform& m_platform;
    std::function<void()> m_beforePowerOff;
    int m_secondsLeft;
};

} // namespace hv
