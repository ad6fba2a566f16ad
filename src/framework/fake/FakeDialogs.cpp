#include "framework/fake/FakeDialogs.h"

#include "framework/TimeUnits.h"
#include "framework/fake/FakeDialogView.h"

#include <algorithm>

namespace hv {

FakeDialogView* FakeDialogs::OpenDialog(int templateId) {
    for (auto it = m_modalDialogs.rbegin(); it != m_modalDialogs.rend(); ++it) {
        if ((*it)->IsOpen() && (*it)->TemplateId() == templateId) return *it;
    }
    return nullptr;
}

void FakeDialogs::SetDialogTimer(FakeDialogView* view, int timerId, unsigned periodMs) {
    m_dialogTimers[{view, timerId}] =
        FakeTimer{periodMs, m_clock.ElapsedMicros() + std::int64_t{periodMs} * kMicrosPerMilli};
}

void FakeDialogs::KillDialogTimer(FakeDialogView* view, int timerId) { m_dialogTimers.erase({view, timerId}); }

void FakeDialogs::KillDialogTimers(const FakeDialogView* view) {
    std::erase_if(m_dialogTimers, [view](const auto& entry) { return entry.first.first == view; });
}

bool FakeDialogs::DialogTimerRunning(const FakeDialogView* view, int timerId) const {
    return std::any_of(m_dialogTimers.begin(), m_dialogTimers.end(),
                       [&](const auto& entry) { return entry.first.first == view && entry.first.second == timerId; });
}

int FakeDialogs::RunModalDialog(Dialog& dialog) {
    FakeDialogView view(*this, dialog);
    dialogsRun.push_back(dialog.TemplateId());
    m_modalDialogs.push_back(&view);
    view.Open();
    if (const auto script = dialogScripts.find(dialog.TemplateId()); script != dialogScripts.end() && view.IsOpen()) {
        script->second(view);
    }
    if (view.IsOpen()) view.PressEscape();
    // A dialog that will not close on Esc is closed all the same: the test is over with it.
    if (view.IsOpen()) view.Close(kIdCancel);
    m_modalDialogs.pop_back();
    return view.Result();
}

} // namespace hv
