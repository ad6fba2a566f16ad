#include "WindowList.h"

#include "Output.h"

#include <windows.h>

#include <string>

namespace driver {

namespace {

constexpr int kTextSize = 256;
constexpr std::size_t kIndentPerLevel = 2;

struct Listing {
    HWND parent;
    std::size_t depth;
};

void PrintTree(HWND parent, std::size_t depth);

std::string Describe(HWND window) {
    char className[kTextSize] = {};
    char title[kTextSize] = {};
    GetClassNameA(window, className, kTextSize);
    GetWindowTextA(window, title, kTextSize);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    RECT rect{};
    GetWindowRect(window, &rect);
    std::string line = Hex(reinterpret_cast<std::uintptr_t>(window));
    line += " class=\"" + std::string(className) + "\" title=\"" + title + "\"";
    line += std::string(" visible=") + (IsWindowVisible(window) ? "1" : "0");
    line += " pid=" + Decimal(process);
    line += " rect=" + Corners(rect.left, rect.top, rect.right, rect.bottom);
    return line;
}

BOOL CALLBACK PrintOne(HWND window, LPARAM context) {
    const auto* listing = reinterpret_cast<const Listing*>(context);
    // EnumChildWindows walks every descendant; print only direct children and recurse.
    if (listing->parent != nullptr && GetParent(window) != listing->parent) return TRUE;
    PrintLine(std::string(listing->depth * kIndentPerLevel, ' ') + Describe(window));
    PrintTree(window, listing->depth + 1);
    return TRUE;
}

void PrintTree(HWND parent, std::size_t depth) {
    Listing listing{parent, depth};
    EnumChildWindows(parent, PrintOne, reinterpret_cast<LPARAM>(&listing));
}

} // namespace

int RunWindows(const Arguments&) {
    Listing listing{nullptr, 0};
    EnumWindows(PrintOne, reinterpret_cast<LPARAM>(&listing));
    return kExitOk;
}

} // namespace driver
