#include "dialogs/ShutdownCountdownDialog.h"

#include "res/resource.h"
#include "shutdown/PowerOff.h"

#include <cstdio>
#include <utility>

namespace hv {

namespace {

constexpr int kCountdownTimerId = 106;
constexpr unsigned kCountdownPeriodMs = 1000;
// The label shows this count from the start; the request follows the tick after it shows 0.
constexpr int kCountdownSeconds = 20;
constexpr const char* kFormatCountdown = "System will be ShutDown within %d seconds!";

} // namespace

ShutdownCountdownDialog::ShutdownCountdownDialog(Platform& platform, std::function<void()> beforePowerOff)
    : m_platform(platform), m_beforePowerOff(std::move(beforePowerOff)), m_secondsLeft(kCountdownSeconds) {}

int ShutdownCountdownDialog::TemplateId() const { return IDD_COUNTDOWN; }

void ShutdownCountdownDialog::OnInit(DialogView& view) { view.SetTimer(kCountdownTimerId, kCountdownPeriodMs); }

void ShutdownCountdownDialog::OnTimer(DialogView& view, int timerId) {
    if (timerId != kCountdownTimerId) return;
    if (m_secondsLeft < 0) {
        view.KillTimer(kCountdownTimerId);
        if (const auto failure = PowerOffComputer(m_platform, m_beforePowerOff)) view.ShowMessage(*failure);
        return;
    }
    char text[64];
    std::snprintf(text, sizeof text, kFormatCountdown, m_secondsLeft);
    view.SetText(IDC_COUNTDOWN_LABEL, text);
    --m_secondsLeft;
}

} // namespace hv
