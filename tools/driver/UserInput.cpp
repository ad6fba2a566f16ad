#include "UserInput.h"

#include "Arguments.h"
#include "Output.h"
#include "Polling.h"
#include "WindowLookup.h"

#include <windows.h>

#include <array>
#include <cctype>
#include <optional>
#include <string_view>
#include <vector>

namespace driver {

namespace {

constexpr const char* kPopupMenuClass = "#32768";
constexpr int kDragSteps = 8;
constexpr DWORD kDragStepPauseMs = 30;

struct NamedKey {
    std::string_view name;
    WORD virtualKey;
};

constexpr std::array kNamedKeys{
    NamedKey{"up", VK_UP},       NamedKey{"down", VK_DOWN},    NamedKey{"left", VK_LEFT},
    NamedKey{"right", VK_RIGHT}, NamedKey{"enter", VK_RETURN}, NamedKey{"escape", VK_ESCAPE},
    NamedKey{"tab", VK_TAB},     NamedKey{"space", VK_SPACE},  NamedKey{"f4", VK_F4},
};

struct MouseButton {
    std::string_view name;
    DWORD down;
    DWORD up;
};

constexpr std::array kMouseButtons{
    MouseButton{"left", MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP},
    MouseButton{"right", MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP},
};

INPUT MouseEvent(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    return input;
}

bool Send(std::vector<INPUT>& inputs) {
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    return sent == inputs.size();
}

HWND OpenPopupMenu() {
    auto menus = WindowsOfClass(kPopupMenuClass, true);
    return menus.empty() ? nullptr : menus.front();
}

std::optional<double> Seconds(const std::string& text) {
    auto seconds = ParseSeconds(text);
    if (!seconds) PrintError("not a number of seconds: " + text);
    return seconds;
}

std::optional<POINT> Point(const std::string& x, const std::string& y) {
    auto left = ParseNumber(x);
    auto top = ParseNumber(y);
    if (!left || !top) {
        PrintError("not a screen point: " + x + " " + y);
        return std::nullopt;
    }
    return POINT{static_cast<LONG>(*left), static_cast<LONG>(*top)};
}

} // namespace

std::optional<WORD> VirtualKey(std::string_view name) {
    for (const auto& key : kNamedKeys) {
        if (key.name == name) return key.virtualKey;
    }
    // Letters and digits are their own virtual-key codes (upper-case letters).
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
        return static_cast<WORD>(std::toupper(static_cast<unsigned char>(name[0])));
    }
    return std::nullopt;
}

INPUT KeyEvent(WORD virtualKey, bool release) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    return input;
}

int RunMenuWait(const Arguments& args) {
    auto seconds = Seconds(args[0]);
    if (!seconds) return kExitUsage;
    HWND menu = nullptr;
    if (!PollUntil(*seconds, [&] { return (menu = OpenPopupMenu()) != nullptr; })) {
        PrintError("no popup menu is open");
        return kExitFailed;
    }
    RECT rect{};
    GetWindowRect(menu, &rect);
    PrintFact("hwnd", Hex(reinterpret_cast<std::uintptr_t>(menu)));
    PrintFact("owner", Hex(reinterpret_cast<std::uintptr_t>(GetWindow(menu, GW_OWNER))));
    PrintFact("rect", Corners(rect.left, rect.top, rect.right, rect.bottom));
    return kExitOk;
}

int RunMenuKeys(const Arguments& args) {
    auto seconds = Seconds(args[0]);
    if (!seconds) return kExitUsage;
    std::vector<INPUT> inputs;
    for (std::size_t i = 1; i < args.size(); ++i) {
        auto key = VirtualKey(args[i]);
        if (!key) {
            PrintError("unknown key: " + args[i]);
            return kExitUsage;
        }
        inputs.push_back(KeyEvent(*key, false));
        inputs.push_back(KeyEvent(*key, true));
    }
    if (!PollUntil(*seconds, [] { return OpenPopupMenu() != nullptr; })) {
        PrintError("no popup menu is open");
        return kExitFailed;
    }
    const bool sent = Send(inputs);
    PrintFact("sent", sent ? "1" : "0");
    const bool closed = sent && PollUntil(*seconds, [] { return OpenPopupMenu() == nullptr; });
    PrintFact("closed", closed ? "1" : "0");
    return closed ? kExitOk : kExitFailed;
}

int RunClick(const Arguments& args) {
    auto point = Point(args[0], args[1]);
    if (!point) return kExitUsage;
    const MouseButton* button = nullptr;
    for (const auto& candidate : kMouseButtons) {
        if (candidate.name == args[2]) button = &candidate;
    }
    if (button == nullptr) {
        PrintError("unknown mouse button: " + args[2]);
        return kExitUsage;
    }
    if (!SetCursorPos(point->x, point->y)) return kExitFailed;
    std::vector<INPUT> inputs{MouseEvent(button->down), MouseEvent(button->up)};
    const bool sent = Send(inputs);
    PrintFact("sent", sent ? "1" : "0");
    return sent ? kExitOk : kExitFailed;
}

int RunDrag(const Arguments& args) {
    auto from = Point(args[0], args[1]);
    auto to = Point(args[2], args[3]);
    if (!from || !to) return kExitUsage;
    if (!SetCursorPos(from->x, from->y)) return kExitFailed;
    std::vector<INPUT> press{MouseEvent(MOUSEEVENTF_LEFTDOWN)};
    bool sent = Send(press);
    // In steps, with pauses, as a hand moves: the window's move loop sees every one.
    for (int step = 1; sent && step <= kDragSteps; ++step) {
        Sleep(kDragStepPauseMs);
        sent = SetCursorPos(from->x + (to->x - from->x) * step / kDragSteps,
                            from->y + (to->y - from->y) * step / kDragSteps) != FALSE;
        std::vector<INPUT> move{MouseEvent(MOUSEEVENTF_MOVE)};
        sent = sent && Send(move);
    }
    Sleep(kDragStepPauseMs);
    std::vector<INPUT> release{MouseEvent(MOUSEEVENTF_LEFTUP)};
    sent = Send(release) && sent;
    PrintFact("sent", sent ? "1" : "0");
    return sent ? kExitOk : kExitFailed;
}

int RunCursor(const Arguments& args) {
    auto point = Point(args[0], args[1]);
    if (!point) return kExitUsage;
    return SetCursorPos(point->x, point->y) ? kExitOk : kExitFailed;
}

} // namespace driver
