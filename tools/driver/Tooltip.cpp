#include "Tooltip.h"

#include "Arguments.h"
#include "Output.h"
#include "Polling.h"
#include "WindowLookup.h"

#include <windows.h>
#include <commctrl.h>

namespace driver {

namespace {

constexpr int kTextSize = 256;
constexpr UINT kGetTextTimeoutMs = 2000;

HWND ShownTooltip() {
    auto tooltips = WindowsOfClass(TOOLTIPS_CLASSA, true);
    return tooltips.empty() ? nullptr : tooltips.front();
}

} // namespace

int RunTooltip(const Arguments& args) {
    auto seconds = ParseSeconds(args[0]);
    if (!seconds) {
        PrintError("not a number of seconds: " + args[0]);
        return kExitUsage;
    }
    HWND tooltip = nullptr;
    if (!PollUntil(*seconds, [&] { return (tooltip = ShownTooltip()) != nullptr; })) {
        PrintError("no tooltip is shown");
        return kExitFailed;
    }
    // The tooltip belongs to the shell's process; GetWindowText would only give the window's
    // own caption, while WM_GETTEXT asks the control for the tip it shows.
    char text[kTextSize] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(tooltip, WM_GETTEXT, kTextSize, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        kGetTextTimeoutMs, &copied);
    RECT rect{};
    GetWindowRect(tooltip, &rect);
    PrintFact("text", text);
    PrintFact("rect", Corners(rect.left, rect.top, rect.right, rect.bottom));
    return kExitOk;
}

} // namespace driver
