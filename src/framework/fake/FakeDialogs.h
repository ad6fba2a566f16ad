#pragma once
#include "framework/Colour.h"
#include "framework/DialogsRole.h"
#include "framework/fake/FakeClock.h"
#include "framework/fake/FakeTimer.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace hv {

class FakeDialogView;

// Modal dialogs run in memory, each driven by the script a test gives for its template;
// message boxes and the common pickers are recorded and answered from what a test set.
class FakeDialogs : public virtual DialogsRole {
public:
    explicit FakeDialogs(FakeClock& clock) : m_clock(clock) {}

    // What a test does inside each modal run, by template id. A dialog still open when its
    // script returns (or that has none) is closed with Esc.
    std::map<int, std::function<void(FakeDialogView&)>> dialogScripts;
    std::vector<int> dialogsRun;
    std::vector<std::string> messageBoxes;
    std::optional<std::string> fileToPick;
    std::optional<Colour> colourToPick;
    std::vector<std::string> filePickerFilters;
    std::vector<Colour> colourPickerStarts;

    // The innermost modal dialog of that template that is open, or nothing.
    FakeDialogView* OpenDialog(int templateId);
    // The innermost modal dialog, open or closing; nothing outside every modal run.
    FakeDialogView* InnermostDialog() const { return m_modalDialogs.empty() ? nullptr : m_modalDialogs.back(); }

    // The dialogs' timers, run by FakePlatform::AdvanceMs.
    using DialogTimerKey = std::pair<FakeDialogView*, int>;
    void SetDialogTimer(FakeDialogView* view, int timerId, unsigned periodMs);
    void KillDialogTimer(FakeDialogView* view, int timerId);
    void KillDialogTimers(const FakeDialogView* view);
    bool DialogTimerRunning(const FakeDialogView* view, int timerId) const;
    std::map<DialogTimerKey, FakeTimer>& DialogTimers() { return m_dialogTimers; }

    int RunModalDialog(Dialog& dialog) override;
    void ShowMessageBox(std::string_view text) override { messageBoxes.emplace_back(text); }

private:
    FakeClock& m_clock;
    std::map<DialogTimerKey, FakeTimer> m_dialogTimers;
    std::vector<FakeDialogView*> m_modalDialogs;
};

} // namespace hv
