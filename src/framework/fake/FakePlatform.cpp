#include "framework/fake/FakePlatform.h"

#include "framework/TimeUnits.h"

#include <algorithm>
#include <optional>

namespace hv {

// FakeClock is the first base, so it is whole before the fakes that keep a reference to it.
FakePlatform::FakePlatform()
    : FakeShell(static_cast<FakeClock&>(*this)), FakeNetwork(static_cast<FakeClock&>(*this)),
      FakeWindows(static_cast<FakeClock&>(*this)), FakeDialogs(static_cast<FakeClock&>(*this)),
      FakeMessaging(static_cast<FakeClock&>(*this), static_cast<FakeWindows&>(*this)) {}

void FakePlatform::AdvanceMs(std::int64_t ms) {
    const std::int64_t end = ElapsedMicros() + ms * kMicrosPerMilli;
    FakeDialogView* const modal = InnermostDialog();
    auto& dialogTimers = DialogTimers();
    for (;;) {
        if (modal != nullptr && !modal->IsOpen()) return; // its loop has ended: time stops here
        // As a message loop reads them: what was posted comes before the next timer.
        HandlePostedCommands();
        // The earliest due timer; ties go to the main window, then to the lower id.
        std::optional<std::int64_t> dueAt;
        int mainId = 0;
        DialogTimerKey dialogKey{nullptr, 0};
        for (const auto& [id, timer] : timers) {
            if (timer.nextDueElapsedMicros <= end && (!dueAt || timer.nextDueElapsedMicros < *dueAt)) {
                dueAt = timer.nextDueElapsedMicros;
                mainId = id;
            }
        }
        for (const auto& [key, timer] : dialogTimers) {
            if (timer.nextDueElapsedMicros <= end && (!dueAt || timer.nextDueElapsedMicros < *dueAt)) {
                dueAt = timer.nextDueElapsedMicros;
                dialogKey = key;
            }
        }
        // An answer due by now comes as soon as the thread is free, even when the handler
        // that asked for it read the clock past the end.
        const auto lookup = NextLookupDue(std::max(end, ElapsedMicros()));
        if (lookup && (!dueAt || lookup->first < *dueAt)) {
            Pass(std::max<std::int64_t>(0, lookup->first - ElapsedMicros()));
            AnswerLookup(lookup->second);
            continue;
        }
        if (!dueAt) break;
        Pass(std::max<std::int64_t>(0, *dueAt - ElapsedMicros()));
        if (dialogKey.first != nullptr) {
            FakeTimer& timer = dialogTimers.at(dialogKey);
            timer.nextDueElapsedMicros += std::int64_t{timer.periodMs} * kMicrosPerMilli;
            dialogKey.first->FireTimer(dialogKey.second);
        } else {
            FakeTimer& timer = timers.at(mainId);
            timer.nextDueElapsedMicros += std::int64_t{timer.periodMs} * kMicrosPerMilli;
            if (Events() != nullptr) Events()->OnTimer(mainId);
        }
    }
    Pass(end - ElapsedMicros());
}

} // namespace hv
