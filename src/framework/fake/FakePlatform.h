#pragma once
#include "framework/Dialog.h"
#include "framework/Platform.h"
#include "framework/fake/FakeClock.h"
#include "framework/fake/FakeDialogView.h"
#include "framework/fake/FakeDialogs.h"
#include "framework/fake/FakeFiles.h"
#include "framework/fake/FakeMessaging.h"
#include "framework/fake/FakeNetwork.h"
#include "framework/fake/FakeProcess.h"
#include "framework/fake/FakeRegistry.h"
#include "framework/fake/FakeShell.h"
#include "framework/fake/FakeWindows.h"

#include <cstdint>

namespace hv {

// A deterministic stand-in for the operating system, made of one fake per role. Time stands
// still until a test advances it; timers fire from the virtual clock in due order; files,
// registry, windows and the network live in memory, and everything the program asked for
// is recorded. A test of code that takes one role may use that role's fake alone.
class FakePlatform final : public Platform,
                           public FakeClock,
                           public FakeFiles,
                           public FakeRegistry,
                           public FakeShell,
                           public FakeNetwork,
                           public FakeProcess,
                           public FakeWindows,
                           public FakeDialogs,
                           public FakeMessaging {
public:
    FakePlatform();
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    // Lets time pass: the clock moves forward and every timer that falls due on the way fires,
    // the main window's and the open dialogs' alike, each after the commands posted to the
    // main window before it. Called inside a modal dialog's run, it stops when that dialog
    // closes, as the dialog's message loop ends then.
    void AdvanceMs(std::int64_t ms);

    static constexpr WindowId kMainWindowId = FakeWindows::kMainWindowId;
};

} // namespace hv
