#include "Companion.h"

#include "Arguments.h"
#include "Commands.h"
#include "Output.h"
#include "WindowLookup.h"
#include "WindowMessaging.h"

#include <windows.h>

#include <cstdio>

namespace driver {

namespace {

constexpr const char* kWindowClass = "HorvaneDriverCompanion";
constexpr const char* kMainWindowTitle = "panel";
constexpr std::uint64_t kQuitCode = 3;
constexpr double kDefaultSeconds = 60.0;
constexpr double kMsPerSecond = 1000.0;
// Timer ids 1..n belong to the scheduled sends; the life-time timer stays clear of them.
constexpr UINT_PTR kLifetimeTimerId = 0xFFFF;
constexpr std::string_view kSecondsOption = "--seconds";
constexpr std::string_view kSendAfterOption = "--send-after";
constexpr std::string_view kHungOption = "--hung";

class CompanionLog {
public:
    explicit CompanionLog(const std::string& path) : m_file(std::fopen(path.c_str(), "wb")) {}
    ~CompanionLog() {
        if (m_file != nullptr) std::fclose(m_file);
    }
    CompanionLog(const CompanionLog&) = delete;
    CompanionLog& operator=(const CompanionLog&) = delete;

    bool IsOpen() const { return m_file != nullptr; }

    // Flushed line by line: the test may read the log while the companion still runs.
    void Write(const std::string& line) {
        if (m_file == nullptr) return;
        std::fputs((line + "\n").c_str(), m_file);
        std::fflush(m_file);
    }

private:
    std::FILE* m_file;
};

struct CompanionState {
    const CompanionOptions* options;
    CompanionLog* log;
};

void RecordReceived(CompanionLog& log, const COPYDATASTRUCT& record) {
    std::string text = record.lpData != nullptr ? HexBytes(record.lpData, record.cbData) : std::string();
    log.Write("code=" + Decimal(static_cast<std::int64_t>(record.dwData)) + " len=" + Decimal(record.cbData) +
              " text=" + text);
    if (record.dwData == kQuitCode) PostQuitMessage(0);
}

void SendScheduled(HWND self, CompanionState& state, UINT_PTR timerId) {
    const ScheduledSend& send = state.options->sends[timerId - 1];
    std::string line = "sent code=" + Decimal(static_cast<std::int64_t>(send.code));
    HWND mainWindow = FindWindowTitled(kMainWindowTitle);
    if (mainWindow == nullptr) {
        state.log->Write(line + " found=0");
        return;
    }
    LRESULT result = SendCopyData(mainWindow, self, static_cast<ULONG_PTR>(send.code), send.text);
    state.log->Write(line + " result=" + Decimal(static_cast<std::int64_t>(result)));
}

void OnTimer(HWND self, CompanionState& state, UINT_PTR timerId) {
    KillTimer(self, timerId);
    if (timerId == kLifetimeTimerId) {
        PostQuitMessage(0);
        return;
    }
    SendScheduled(self, state, timerId);
}

LRESULT CALLBACK CompanionProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* state = reinterpret_cast<CompanionState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (state != nullptr && message == WM_COPYDATA && lParam != 0) {
        RecordReceived(*state->log, *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return TRUE;
    }
    if (message == WM_DESTROY) {
        // Closed from outside (WM_CLOSE): end like a real companion would.
        PostQuitMessage(0);
        return 0;
    }
    if (state != nullptr && message == WM_TIMER) {
        OnTimer(window, *state, static_cast<UINT_PTR>(wParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateCompanionWindow(const std::string& title, CompanionState& state) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = CompanionProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);
    // Hidden but top-level: FindWindow finds it, unlike a message-only window.
    return CreateWindowExA(0, kWindowClass, title.c_str(), WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                           windowClass.hInstance, &state);
}

void ScheduleTimers(HWND window, const CompanionOptions& options) {
    for (std::size_t i = 0; i < options.sends.size(); ++i) {
        SetTimer(window, i + 1, options.sends[i].delayMs, nullptr);
    }
    SetTimer(window, kLifetimeTimerId, static_cast<UINT>(options.seconds * kMsPerSecond), nullptr);
}

// Parses "MS CODE [TEXT]" at args[index...]; advances index past what it used.
std::optional<ScheduledSend> ParseSend(const std::vector<std::string>& args, std::size_t& index) {
    if (index + 2 > args.size()) return std::nullopt;
    auto delay = ParseNumber(args[index]);
    auto code = ParseNumber(args[index + 1]);
    if (!delay || !code || *delay < 0) return std::nullopt;
    index += 2;
    std::string text;
    if (index < args.size() && !args[index].starts_with("--")) text = args[index++];
    return ScheduledSend{static_cast<unsigned>(*delay), static_cast<std::uint64_t>(*code), text};
}

} // namespace

std::optional<CompanionOptions> ParseCompanionOptions(const std::vector<std::string>& args) {
    if (args.size() < 2) return std::nullopt;
    CompanionOptions options{args[0], args[1], kDefaultSeconds, {}};
    std::size_t index = 2;
    while (index < args.size()) {
        const std::string& option = args[index++];
        if (option == kSecondsOption && index < args.size()) {
            auto seconds = ParseSeconds(args[index++]);
            if (!seconds) return std::nullopt;
            options.seconds = *seconds;
        } else if (option == kHungOption) {
            options.hung = true;
        } else if (option == kSendAfterOption) {
            auto send = ParseSend(args, index);
            if (!send) return std::nullopt;
            options.sends.push_back(*send);
        } else {
            return std::nullopt;
        }
    }
    return options;
}

int RunCompanion(const CompanionOptions& options) {
    CompanionLog log(options.logPath);
    if (!log.IsOpen()) {
        PrintError("cannot write " + options.logPath);
        return kExitFailed;
    }
    CompanionState state{&options, &log};
    HWND window = CreateCompanionWindow(options.title, state);
    if (window == nullptr) {
        PrintError("cannot create the companion window");
        return kExitFailed;
    }
    log.Write("ready");
    if (options.hung) {
        Sleep(static_cast<DWORD>(options.seconds * kMsPerSecond));
        return kExitOk;
    }
    ScheduleTimers(window, options);
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    if (IsWindow(window)) DestroyWindow(window);
    return kExitOk;
}

} // namespace driver
