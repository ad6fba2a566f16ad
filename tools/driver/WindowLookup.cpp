#include "WindowLookup.h"

#include "Output.h"
#include "Polling.h"

namespace driver {

namespace {

constexpr int kTextBufferSize = 1024;

struct TitleSearch {
    const std::string* title;
    std::vector<HWND> found;
};

struct ClassSearch {
    const std::string* className;
    bool visibleOnly;
    std::vector<HWND> found;
};

std::string TitleOf(HWND window) {
    char buffer[kTextBufferSize] = {};
    int length = GetWindowTextA(window, buffer, kTextBufferSize);
    return std::string(buffer, static_cast<std::size_t>(length > 0 ? length : 0));
}

std::string ClassOf(HWND window) {
    char buffer[kTextBufferSize] = {};
    int length = GetClassNameA(window, buffer, kTextBufferSize);
    return std::string(buffer, static_cast<std::size_t>(length > 0 ? length : 0));
}

BOOL CALLBACK CollectTitled(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<TitleSearch*>(context);
    if (TitleOf(window) == *search->title) search->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectOfClass(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<ClassSearch*>(context);
    if (search->visibleOnly && !IsWindowVisible(window)) return TRUE;
    if (ClassOf(window) == *search->className) search->found.push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> WindowsTitled(const std::string& title) {
    TitleSearch search{&title, {}};
    EnumWindows(CollectTitled, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindWindowTitled(const std::string& title) {
    auto windows = WindowsTitled(title);
    return windows.empty() ? nullptr : windows.front();
}

std::optional<HWND> Target(const std::string& title) {
    HWND window = FindWindowTitled(title);
    if (window == nullptr) PrintError("no window titled \"" + title + "\"");
    return window == nullptr ? std::nullopt : std::optional<HWND>(window);
}

HWND WaitForWindow(const std::string& title, double seconds) {
    HWND window = nullptr;
    PollUntil(seconds, [&] {
        window = FindWindowTitled(title);
        return window != nullptr;
    });
    return window;
}

bool WaitUntilGone(const std::string& title, double seconds) {
    return PollUntil(seconds, [&] { return FindWindowTitled(title) == nullptr; });
}

std::vector<HWND> WindowsOfClass(const std::string& className, bool visibleOnly) {
    ClassSearch search{&className, visibleOnly, {}};
    EnumWindows(CollectOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& className, bool visibleOnly) {
    ClassSearch search{&className, visibleOnly, {}};
    EnumChildWindows(parent, CollectOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace driver
