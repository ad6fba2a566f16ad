#include "ShellRestart.h"

#include "Output.h"
#include "WindowLookup.h"

#include <windows.h>
#include <shellapi.h>

namespace driver {

namespace {

constexpr UINT kTrayIconId = 128;
// Long enough for a busy program, short enough that a hung one cannot stall a test.
constexpr UINT kBroadcastTimeoutMs = 5000;

} // namespace

int RunTrayDelete(const Arguments& args) {
    HWND window = FindWindowTitled(args[0]);
    if (window == nullptr) {
        PrintError("no window titled \"" + args[0] + "\"");
        return kExitFailed;
    }
    // The shell knows an icon by its window and id alone, whoever asks.
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    record.uID = kTrayIconId;
    const BOOL deleted = Shell_NotifyIconA(NIM_DELETE, &record);
    PrintFact("deleted", deleted ? "1" : "0");
    return deleted ? kExitOk : kExitFailed;
}

int RunBroadcast(const Arguments& args) {
    const UINT message = RegisterWindowMessageA(args[0].c_str());
    if (message == 0) {
        PrintError("cannot register message \"" + args[0] + "\"");
        return kExitFailed;
    }
    DWORD_PTR result = 0;
    const LRESULT sent = SendMessageTimeoutA(HWND_BROADCAST, message, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                             kBroadcastTimeoutMs, &result);
    PrintFact("message", Hex(message));
    PrintFact("sent", sent != 0 ? "1" : "0");
    return sent != 0 ? kExitOk : kExitFailed;
}

} // namespace driver
