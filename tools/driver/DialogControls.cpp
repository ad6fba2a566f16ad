#include "DialogControls.h"

#include "Arguments.h"
#include "Output.h"
#include "Polling.h"
#include "UserInput.h"
#include "WindowLookup.h"

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

namespace driver {

namespace {

constexpr int kClassNameSize = 256;
constexpr std::size_t kRemoteTextChars = 4096;
constexpr DWORD kRemoteAccess = PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE;

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

std::string TextOf(HWND window) {
    const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const auto got = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(got));
    return Utf8(text);
}

std::string ClassOf(HWND window) {
    char name[kClassNameSize] = {};
    const int length = GetClassNameA(window, name, kClassNameSize);
    return std::string(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

std::string Flag(bool value) { return value ? "1" : "0"; }

std::string RectText(const RECT& rect) { return Corners(rect.left, rect.top, rect.right, rect.bottom); }

struct ChildList {
    HWND parent;
    std::vector<HWND> children;
};

BOOL CALLBACK CollectDirectChild(HWND window, LPARAM context) {
    auto* list = reinterpret_cast<ChildList*>(context);
    if (GetParent(window) == list->parent) list->children.push_back(window);
    return TRUE;
}

void PrintControl(HWND control, HWND focus) {
    RECT rect{};
    GetWindowRect(control, &rect);
    const std::string className = ClassOf(control);
    const auto checked = className == "Button" ? SendMessageW(control, BM_GETCHECK, 0, 0) : 0;
    const std::string text = TextOf(control);
    PrintLine("control id=" + Decimal(GetDlgCtrlID(control)) + " class=" + className + " enabled=" +
              Flag(IsWindowEnabled(control) != FALSE) + " visible=" + Flag(IsWindowVisible(control) != FALSE) +
              " checked=" + Decimal(checked) + " focused=" + Flag(control == focus) + " rect=" + RectText(rect) +
              " texthex=" + HexBytes(text.data(), text.size()));
}

// The focused window of another thread's queue.
HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

void PrintWindowFacts(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    RECT client{};
    GetClientRect(window, &client);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    const auto exStyle = static_cast<std::uint32_t>(GetWindowLongW(window, GWL_EXSTYLE));
    PrintFact("rect", RectText(rect));
    PrintFact("client", Decimal(client.right) + "," + Decimal(client.bottom));
    PrintFact("workarea", RectText(monitor.rcWork));
    PrintFact("topmost", Flag((exStyle & WS_EX_TOPMOST) != 0));
    PrintFact("visible", Flag(IsWindowVisible(window) != FALSE));
    PrintFact("foreground", Flag(GetForegroundWindow() == window));
    PrintFact("style", Hex(static_cast<std::uint32_t>(GetWindowLongW(window, GWL_STYLE)), 8));
    PrintFact("exstyle", Hex(exStyle, 8));
}

std::optional<HWND> Control(const Arguments& args) {
    auto window = Target(args[0]);
    auto id = ParseNumber(args[1]);
    if (!window || !id) return std::nullopt;
    HWND control = GetDlgItem(*window, static_cast<int>(*id));
    if (control == nullptr) PrintError("no control " + args[1]);
    return control == nullptr ? std::nullopt : std::optional<HWND>(control);
}

std::optional<std::vector<INPUT>> KeyInputs(const Arguments& args) {
    std::vector<INPUT> inputs;
    const auto press = [&](WORD key, bool release) { inputs.push_back(KeyEvent(key, release)); };
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string name = args[i];
        const bool alt = name.rfind("alt+", 0) == 0;
        if (alt) name = name.substr(4);
        const std::optional<WORD> key = VirtualKey(name);
        if (!key) {
            PrintError("unknown key: " + args[i]);
            return std::nullopt;
        }
        if (alt) press(VK_MENU, false);
        press(*key, false);
        press(*key, true);
        if (alt) press(VK_MENU, true);
    }
    return inputs;
}

// Memory in another process for the list view to write its answers into.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, std::size_t size)
        : m_process(process), m_address(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
    ~RemoteBuffer() {
        if (m_address != nullptr) VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    void* Address() const { return m_address; }
    char* At(std::size_t offset) const { return static_cast<char*>(m_address) + offset; }

private:
    HANDLE m_process;
    void* m_address;
};

// The process that owns the window, opened to read and write its memory.
HANDLE OpenOwnerProcess(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return OpenProcess(kRemoteAccess, FALSE, processId);
}

struct RemoteList {
    HWND list;
    HANDLE process;
    RemoteBuffer buffer;

    // One cell's text, or the row's image when column is -1.
    std::optional<std::string> Cell(int row, int column, int* image) {
        LVITEMW item{};
        item.iItem = row;
        item.iSubItem = column < 0 ? 0 : column;
        item.mask = column < 0 ? LVIF_IMAGE : LVIF_TEXT;
        item.pszText = reinterpret_cast<LPWSTR>(buffer.At(sizeof item));
        item.cchTextMax = static_cast<int>(kRemoteTextChars);
        if (!WriteProcessMemory(process, buffer.Address(), &item, sizeof item, nullptr)) return std::nullopt;
        if (column < 0) {
            SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(buffer.Address()));
            if (!ReadProcessMemory(process, buffer.Address(), &item, sizeof item, nullptr)) return std::nullopt;
            *image = item.iImage;
            return std::string{};
        }
        const auto length = static_cast<std::size_t>(
            SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buffer.Address())));
        std::wstring text(length, L'\0');
        if (length > 0 &&
            !ReadProcessMemory(process, buffer.At(sizeof item), text.data(), length * sizeof(wchar_t), nullptr)) {
            return std::nullopt;
        }
        return Utf8(text);
    }
};

} // namespace

int RunControls(const Arguments& args) {
    auto window = Target(args[0]);
    if (!window) return kExitFailed;
    ChildList list{*window, {}};
    EnumChildWindows(*window, CollectDirectChild, reinterpret_cast<LPARAM>(&list));
    const HWND focus = FocusOf(*window);
    for (HWND control : list.children) PrintControl(control, focus);
    PrintWindowFacts(*window);
    return kExitOk;
}

int RunWindowFacts(const Arguments& args) {
    auto window = Target(args[0]);
    if (!window) return kExitFailed;
    PrintWindowFacts(*window);
    return kExitOk;
}

int RunSetText(const Arguments& args) {
    auto control = Control(args);
    if (!control) return kExitFailed;
    const std::wstring text = Wide(args[2]);
    SendMessageW(*control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return kExitOk;
}

int RunClickControl(const Arguments& args) {
    auto control = Control(args);
    if (!control) return kExitFailed;
    // Posted: a click that opens a modal window would otherwise hold the driver until it closed.
    return PostMessageW(*control, BM_CLICK, 0, 0) ? kExitOk : kExitFailed;
}

int RunKeys(const Arguments& args) {
    auto window = Target(args[0]);
    if (!window) return kExitFailed;
    auto inputs = KeyInputs(args);
    if (!inputs) return kExitUsage;
    SetForegroundWindow(*window);
    PollUntil(2.0, [&] { return GetForegroundWindow() == *window; });
    const UINT sent = SendInput(static_cast<UINT>(inputs->size()), inputs->data(), sizeof(INPUT));
    PrintFact("sent", Flag(sent == inputs->size()));
    return sent == inputs->size() ? kExitOk : kExitFailed;
}

int RunListView(const Arguments& args) {
    auto control = Control(args);
    if (!control) return kExitFailed;
    HANDLE process = OpenOwnerProcess(*control);
    if (process == nullptr) return kExitFailed;
    RemoteList remote{*control, process, RemoteBuffer(process, sizeof(LVITEMW) + kRemoteTextChars * sizeof(wchar_t))};
    const HWND header = reinterpret_cast<HWND>(SendMessageW(*control, LVM_GETHEADER, 0, 0));
    const auto columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    const auto rows = static_cast<int>(SendMessageW(*control, LVM_GETITEMCOUNT, 0, 0));
    PrintFact("columns", Decimal(columns));
    PrintFact("rows", Decimal(rows));
    int status = kExitOk;
    for (int row = 0; row < rows; ++row) {
        int image = -1;
        std::string cells;
        bool read = remote.Cell(row, -1, &image).has_value();
        for (int column = 0; column < columns && read; ++column) {
            const auto text = remote.Cell(row, column, nullptr);
            read = text.has_value();
            if (!read) break;
            if (column > 0) cells += ',';
            cells += HexBytes(text->data(), text->size());
        }
        if (!read) status = kExitFailed;
        const auto state = SendMessageW(*control, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED);
        PrintLine("row=" + Decimal(row) + " image=" + Decimal(image) + " selected=" + Flag(state != 0) +
                  " cells=" + cells);
    }
    CloseHandle(process);
    return status;
}

int RunMonthCalendar(const Arguments& args) {
    auto control = Control(args);
    if (!control) return kExitFailed;
    HANDLE process = OpenOwnerProcess(*control);
    if (process == nullptr) return kExitFailed;
    RECT minimum{};
    bool read = false;
    {
        // The control writes its answer where the pointer points: inside its own process.
        RemoteBuffer buffer(process, sizeof minimum);
        read = buffer.Address() != nullptr &&
               SendMessageW(*control, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(buffer.Address())) != 0 &&
               ReadProcessMemory(process, buffer.Address(), &minimum, sizeof minimum, nullptr);
    }
    CloseHandle(process);
    if (!read) {
        PrintError("the month calendar gave no minimum size");
        return kExitFailed;
    }
    RECT client{};
    GetClientRect(*control, &client);
    PrintFact("minimum", Decimal(minimum.right) + "," + Decimal(minimum.bottom));
    PrintFact("today", Decimal(SendMessageW(*control, MCM_GETMAXTODAYWIDTH, 0, 0)));
    PrintFact("client", Decimal(client.right) + "," + Decimal(client.bottom));
    return kExitOk;
}

} // namespace driver
