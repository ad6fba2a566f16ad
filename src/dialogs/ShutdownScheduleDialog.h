#pragma once
#include "framework/Dialog.h"
#include "framework/Platform.h"
#include "shutdown/ShutdownSchedule.h"

namespace hv {

// Editing and arming the scheduled shutdown: after a delay or at a time of day. It works on
// its own copy of the schedule; an armed schedule is counted by the dialog's own timer, and
// the dialog closes itself in time for the main window to take over. However it closed,
// Schedule() is what the main window takes back.
class ShutdownScheduleDialog final : public Dialog {
public:
    ShutdownScheduleDialog(Platform& platform, const ShutdownSchedule& schedule);

    int TemplateId() const override;
    void OnInit(DialogView& view) override;
    bool OnCommand(DialogView& view, int controlId, int notifyCode) override;
    void OnTimer(DialogView& view, int timerId) override;
    void OnDestroy(DialogView& view) override;

    // The values copied in at opening, or those the controls held when last read: at an
    // activation or deactivation, and at a close through "Close" or Enter.
    const ShutdownSchedule& Schedule() const { return m_schedule; }
    // Whether the schedule it holds was armed in this run of the dialog, rather than copied in.
    bool ArmedHere() const { return m_armedHere; }

private:
    void ShowSchedule(DialogView& view);
    // Reads every control into the schedule, or none when one is not valid (the user has
    // then been told which).
    bool ReadSchedule(DialogView& view);
    void OnActivate(DialogView& view);
    void Arm(DialogView& view, ShutdownKind kind);
    void Disarm(DialogView& view);
    void ShowEditable(DialogView& view, bool editable);
    void ClearModes(DialogView& view);
    void RestartDisplayTimer(DialogView& view);
    void ShowSecondsLeft(DialogView& view, std::int32_t seconds);
    void CloseAsIfClosePressed(DialogView& view);
    std::int32_t SecondsUntilAtTime();

    Platform& m_platform;
    ShutdownSchedule m_schedule;
    bool m_armedHere = false;
};

} // namespace hv
