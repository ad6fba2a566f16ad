#include "dialogs/ShutdownScheduleDialog.h"

#include "dialogs/DataExchange.h"
#include "res/resource.h"

#include <array>
#include <cstdio>

namespace hv {

namespace {

constexpr int kDisplayTimerId = 200;
constexpr unsigned kDisplayPeriodMs = 1000;
// An at-time schedule is handed to the main window this long before it falls due at the
// latest, so that the main window's tick is the one that opens the countdown.
constexpr std::int32_t kAtTimeHandOverSeconds = 10;

constexpr const char* kTextActivate = "Active Selected ShutDown Schedule";
constexpr const char* kTextDeactivate = "DeActive Current ShutDown Schedule";
constexpr const char* kTextNoSchedule = "No ShutDown Schedule Actived.";
constexpr const char* kFormatSecondsLeft = "  System will be ShutDown within\r\n       %d(Hour):%d(Min):%d(Sec)";

constexpr int kLastHour = 23;
constexpr int kLastMinute = 59;

// The six time edits with their fields, in the order they are read and checked.
struct TimeEdit {
    int id;
    std::int16_t ShutdownSchedule::*field;
    int maximum;
};
constexpr std::array kTimeEdits{
    TimeEdit{IDC_AT_HOUR, &ShutdownSchedule::atHour, kLastHour},
    TimeEdit{IDC_AT_MINUTE, &ShutdownSchedule::atMinute, kLastMinute},
    TimeEdit{IDC_AT_SECOND, &ShutdownSchedule::atSecond, kLastMinute},
    TimeEdit{IDC_AFTER_HOUR, &ShutdownSchedule::afterHour, kLastHour},
    TimeEdit{IDC_AFTER_MINUTE, &ShutdownSchedule::afterMinute, kLastMinute},
    TimeEdit{IDC_AFTER_SECOND, &ShutdownSchedule::afterSecond, kLastMinute},
};

} // namespace

ShutdownScheduleDialog::ShutdownScheduleDialog(Platform& platform, const ShutdownSchedule& schedule)
    : m_platform(platform), m_schedule(schedule) {}

int ShutdownScheduleDialog::TemplateId() const { return IDD_SHUTDOWN; }

void ShutdownScheduleDialog::OnInit(DialogView& view) {
    ShowSchedule(view);
    switch (m_schedule.kind) {
    case kShutdownNone:
        ClearModes(view);
        view.SetText(IDC_SHUTDOWN_STATUS, kTextNoSchedule);
        ShowEditable(view, true);
        break;
    case kShutdownAfterDelay:
    case kShutdownAtTime:
        view.SetChecked(IDC_AFTER, m_schedule.kind == kShutdownAfterDelay);
        view.SetChecked(IDC_AT, m_schedule.kind == kShutdownAtTime);
        if (m_schedule.disarmed) {
            // Fallen due or deactivated: the old mode stays checked, ready to be armed again.
            m_schedule.kind = kShutdownNone;
            ShowEditable(view, true);
        } else {
            ShowEditable(view, false);
            view.SetTimer(kDisplayTimerId, kDisplayPeriodMs);
        }
        break;
    default: break;
    }
}

bool ShutdownScheduleDialog::OnCommand(DialogView& view, int controlId, int notifyCode) {
    if (notifyCode != kNotifyClicked) return false;
    switch (controlId) {
    // Each mode is a group of its own, so the dialog keeps the two exclusive.
    case IDC_AFTER:
        if (view.IsChecked(IDC_AFTER)) view.SetChecked(IDC_AT, false);
        return true;
    case IDC_AT:
        if (view.IsChecked(IDC_AT)) view.SetChecked(IDC_AFTER, false);
        return true;
    case IDC_ACTIVATE: OnActivate(view); return true;
    case kIdOk:
        if (ReadSchedule(view)) view.Close(kIdOk);
        return true;
    default: return false;
    }
}

void ShutdownScheduleDialog::OnTimer(DialogView& view, int timerId) {
    if (timerId != kDisplayTimerId) return;
    if (m_schedule.kind == kShutdownAfterDelay) {
        if (m_schedule.secondsLeft > 0) {
            ShowSecondsLeft(view, m_schedule.secondsLeft);
            --m_schedule.secondsLeft;
        } else {
            CloseAsIfClosePressed(view);
        }
    } else if (m_schedule.kind == kShutdownAtTime) {
        m_schedule.secondsLeft = SecondsUntilAtTime();
        if (m_schedule.secondsLeft > kAtTimeHandOverSeconds) {
            ShowSecondsLeft(view, m_schedule.secondsLeft);
        } else {
            CloseAsIfClosePressed(view);
        }
    }
}

void ShutdownScheduleDialog::OnDestroy(DialogView& view) { view.KillTimer(kDisplayTimerId); }

void ShutdownScheduleDialog::ShowSchedule(DialogView& view) {
    for (const TimeEdit& edit : kTimeEdits) ShowInteger(view, edit.id, m_schedule.*edit.field);
    view.SetChecked(IDC_AUTO_ARM, m_schedule.atStartup);
}

bool ShutdownScheduleDialog::ReadSchedule(DialogView& view) {
    ShutdownSchedule read = m_schedule;
    for (const TimeEdit& edit : kTimeEdits) {
        const std::optional<int> value = ReadInteger(view, edit.id, 0, edit.maximum);
        if (!value) return false;
        read.*edit.field = static_cast<std::int16_t>(*value);
    }
    read.atStartup = view.IsChecked(IDC_AUTO_ARM);
    m_schedule = read;
    return true;
}

void ShutdownScheduleDialog::OnActivate(DialogView& view) {
    if (!ReadSchedule(view)) return;
    if (m_schedule.kind != kShutdownNone) {
        Disarm(view);
        return;
    }
    if (view.IsChecked(IDC_AFTER)) {
        m_schedule.secondsLeft = (m_schedule.afterHour * 60 + m_schedule.afterMinute) * 60 + m_schedule.afterSecond;
        Arm(view, kShutdownAfterDelay);
    }
    if (view.IsChecked(IDC_AT)) Arm(view, kShutdownAtTime);
}

void ShutdownScheduleDialog::Arm(DialogView& view, ShutdownKind kind) {
    m_schedule.kind = kind;
    m_schedule.disarmed = false;
    m_armedHere = true;
    ShowEditable(view, false);
    RestartDisplayTimer(view);
}

void ShutdownScheduleDialog::Disarm(DialogView& view) {
    m_schedule.kind = kShutdownNone;
    m_schedule.disarmed = true;
    m_armedHere = false;
    ClearModes(view);
    ShowEditable(view, true);
    view.KillTimer(kDisplayTimerId);
    view.SetText(IDC_SHUTDOWN_STATUS, kTextNoSchedule);
    view.SetChecked(IDC_AUTO_ARM, false);
}

// Editable while nothing is armed: the modes and times; armed, only the start-up choice.
void ShutdownScheduleDialog::ShowEditable(DialogView& view, bool editable) {
    view.Enable(IDC_AFTER, editable);
    view.Enable(IDC_AT, editable);
    for (const TimeEdit& edit : kTimeEdits) view.Enable(edit.id, editable);
    view.Enable(IDC_AUTO_ARM, !editable);
    view.SetText(IDC_ACTIVATE, editable ? kTextActivate : kTextDeactivate);
}

void ShutdownScheduleDialog::ClearModes(DialogView& view) {
    view.SetChecked(IDC_AFTER, false);
    view.SetChecked(IDC_AT, false);
}

void ShutdownScheduleDialog::RestartDisplayTimer(DialogView& view) {
    view.KillTimer(kDisplayTimerId);
    view.SetTimer(kDisplayTimerId, kDisplayPeriodMs);
}

void ShutdownScheduleDialog::ShowSecondsLeft(DialogView& view, std::int32_t seconds) {
    const std::int32_t hours = seconds / 3600;
    const std::int32_t minutes = (seconds - hours * 3600) / 60;
    char text[96];
    std::snprintf(text, sizeof text, kFormatSecondsLeft, hours, minutes, seconds % 60);
    view.SetText(IDC_SHUTDOWN_STATUS, text);
}

void ShutdownScheduleDialog::CloseAsIfClosePressed(DialogView& view) {
    // Stopped first: should the controls not read back, one message is enough.
    view.KillTimer(kDisplayTimerId);
    OnCommand(view, kIdOk, kNotifyClicked);
}

std::int32_t ShutdownScheduleDialog::SecondsUntilAtTime() {
    const CivilTime now = m_platform.ToLocalTime(SplitUnixMicros(m_platform.NowMicroseconds()).seconds);
    return m_schedule.SecondsToNextAtTime(UnixSecondsFromCivil(now));
}

} // namespace hv
