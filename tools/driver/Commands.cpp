#include "Commands.h"

#include "Arguments.h"
#include "Output.h"
#include "WindowLookup.h"
#include "WindowMessaging.h"

#include <optional>

namespace driver {

namespace {

// The program's tray callback message and icon id, as a shell would post them.
constexpr UINT kTrayNotifyMessage = WM_USER + 100;
constexpr WPARAM kTrayIconId = 128;
// A claimed data size no process could map.
constexpr DWORD kAbsurdCopyDataSize = 0x7FFFFFF0;
constexpr int kStyleDigits = 8;
// Without a shell of its own and without a system tray on the X display, Wine shows the
// notification area as a small window of its own, one child window per icon.
constexpr const char* kWineStandaloneTrayClass = "__winex11_standalone_tray";
constexpr const char* kWineTrayIconClass = "__winex11_tray_icon";

std::optional<std::int64_t> Number(const std::string& text) {
    auto value = ParseNumber(text);
    if (!value) PrintError("not a number: " + text);
    return value;
}

void PrintWindow(HWND window) { PrintFact("hwnd", Hex(reinterpret_cast<std::uintptr_t>(window))); }

void PrintResult(std::string_view key, LRESULT result) { PrintFact(key, Decimal(static_cast<std::int64_t>(result))); }

int PrintPosted(BOOL posted) {
    PrintFact("posted", posted ? "1" : "0");
    return posted ? kExitOk : kExitFailed;
}

int WaitCommand(const Arguments& args, bool untilGone) {
    auto seconds = ParseSeconds(args[1]);
    if (!seconds) {
        PrintError("not a number of seconds: " + args[1]);
        return kExitUsage;
    }
    if (untilGone) {
        bool gone = WaitUntilGone(args[0], *seconds);
        PrintFact("gone", gone ? "1" : "0");
        return gone ? kExitOk : kExitFailed;
    }
    HWND window = WaitForWindow(args[0], *seconds);
    if (window == nullptr) return kExitFailed;
    PrintWindow(window);
    return kExitOk;
}

} // namespace

int RunFind(const Arguments& args) {
    auto window = Target(args[0]);
    if (!window) return kExitFailed;
    PrintWindow(*window);
    return kExitOk;
}

int RunWait(const Arguments& args) { return WaitCommand(args, false); }

int RunWaitGone(const Arguments& args) { return WaitCommand(args, true); }

int RunCount(const Arguments& args) {
    PrintFact("count", Decimal(static_cast<std::int64_t>(WindowsTitled(args[0]).size())));
    return kExitOk;
}

int RunStyles(const Arguments& args) {
    auto window = Target(args[0]);
    if (!window) return kExitFailed;
    auto style = static_cast<std::uint32_t>(GetWindowLongA(*window, GWL_STYLE));
    auto exStyle = static_cast<std::uint32_t>(GetWindowLongA(*window, GWL_EXSTYLE));
    PrintFact("style", Hex(style, kStyleDigits));
    PrintFact("exstyle", Hex(exStyle, kStyleDigits));
    PrintFact("visible", IsWindowVisible(*window) ? "1" : "0");
    return kExitOk;
}

int RunCopyData(const Arguments& args) {
    auto window = Target(args[0]);
    auto code = Number(args[1]);
    if (!window || !code) return kExitFailed;
    std::string text = args.size() > 2 ? args[2] : std::string();
    PrintResult("result", SendCopyData(*window, nullptr, static_cast<ULONG_PTR>(*code), text));
    return kExitOk;
}

int RunCopyDataNull(const Arguments& args) {
    auto window = Target(args[0]);
    if (!window) return kExitFailed;
    PrintResult("result", SendMessageA(*window, WM_COPYDATA, 0, 0));
    return kExitOk;
}

int RunCopyDataBadLength(const Arguments& args) {
    auto window = Target(args[0]);
    auto code = Number(args[1]);
    if (!window || !code) return kExitFailed;
    PrintResult("result", SendCopyDataWithoutData(*window, static_cast<ULONG_PTR>(*code), kAbsurdCopyDataSize));
    return kExitOk;
}

int RunCommand(const Arguments& args) {
    auto window = Target(args[0]);
    auto id = Number(args[1]);
    if (!window || !id) return kExitFailed;
    PrintResult("result", SendMessageA(*window, WM_COMMAND, AsWParam(*id), 0));
    return kExitOk;
}

int RunClose(const Arguments& args) {
    auto window = Target(args[0]);
    if (!window) return kExitFailed;
    PrintResult("result", SendMessageA(*window, WM_CLOSE, 0, 0));
    return kExitOk;
}

int RunPostClose(const Arguments& args) {
    auto window = Target(args[0]);
    if (!window) return kExitFailed;
    return PrintPosted(PostMessageA(*window, WM_CLOSE, 0, 0));
}

int RunEndSession(const Arguments& args) {
    auto window = Target(args[0]);
    if (!window) return kExitFailed;
    PrintResult("query", SendMessageA(*window, WM_QUERYENDSESSION, 0, 0));
    // The process may end while handling this; the send then returns 0.
    PrintResult("end", SendMessageA(*window, WM_ENDSESSION, TRUE, 0));
    return kExitOk;
}

int RunMessage(const Arguments& args) {
    auto window = Target(args[0]);
    auto message = Number(args[1]);
    auto wParam = Number(args[2]);
    auto lParam = Number(args[3]);
    if (!window || !message || !wParam || !lParam) return kExitFailed;
    PrintResult("result", SendMessageA(*window, static_cast<UINT>(*message), AsWParam(*wParam), AsLParam(*lParam)));
    return kExitOk;
}

int RunPost(const Arguments& args) {
    auto window = Target(args[0]);
    auto message = Number(args[1]);
    auto wParam = Number(args[2]);
    auto lParam = Number(args[3]);
    if (!window || !message || !wParam || !lParam) return kExitFailed;
    return PrintPosted(PostMessageA(*window, static_cast<UINT>(*message), AsWParam(*wParam), AsLParam(*lParam)));
}

int RunTrayNotify(const Arguments& args) {
    auto window = Target(args[0]);
    auto mouseMessage = Number(args[1]);
    if (!window || !mouseMessage) return kExitFailed;
    return PrintPosted(PostMessageA(*window, kTrayNotifyMessage, kTrayIconId, AsLParam(*mouseMessage)));
}

int RunTrayIcons(const Arguments&) {
    std::size_t icons = 0;
    for (HWND tray : WindowsOfClass(kWineStandaloneTrayClass, false)) {
        icons += ChildrenOfClass(tray, kWineTrayIconClass, true).size();
    }
    PrintFact("count", Decimal(static_cast<std::int64_t>(icons)));
    return kExitOk;
}

int RunHoldFile(const Arguments& args) {
    auto seconds = ParseSeconds(args[1]);
    if (!seconds) {
        PrintError("not a number of seconds: " + args[1]);
        return kExitUsage;
    }
    HANDLE file = CreateFileA(args[0].c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        PrintError("cannot open " + args[0]);
        return kExitFailed;
    }
    PrintFact("held", "1");
    Sleep(static_cast<DWORD>(*seconds * 1000.0));
    CloseHandle(file);
    return kExitOk;
}

} // namespace driver
