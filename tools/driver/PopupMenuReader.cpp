#include "PopupMenuReader.h"

#include "Output.h"
#include "WindowLookup.h"

#include <windows.h>

namespace driver {

namespace {

constexpr const char* kPopupMenuClass = "#32768";
constexpr int kItemTextSize = 256;

std::optional<MenuItem> ReadItem(HMENU menu, int position) {
    char text[kItemTextSize] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = kItemTextSize - 1;
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) return std::nullopt;
    return MenuItem{static_cast<std::int64_t>(info.wID),
                    static_cast<std::uint32_t>(info.fType | info.fState), std::string(text)};
}

} // namespace

std::optional<std::vector<MenuItem>> ReadOpenPopupMenu() {
    auto windows = WindowsOfClass(kPopupMenuClass, true);
    if (windows.empty()) {
        PrintError("no popup menu is open");
        return std::nullopt;
    }
    auto menu = reinterpret_cast<HMENU>(SendMessageA(windows.front(), MN_GETHMENU, 0, 0));
    if (menu == nullptr) {
        PrintError("the open popup menu does not give its handle");
        return std::nullopt;
    }
    int count = GetMenuItemCount(menu);
    if (count < 0) {
        PrintError("menu " + Hex(reinterpret_cast<std::uintptr_t>(menu)) +
                   " cannot be read from this process");
        return std::nullopt;
    }
    std::vector<MenuItem> items;
    for (int position = 0; position < count; ++position) {
        auto item = ReadItem(menu, position);
        if (!item) {
            PrintError("menu item " + Decimal(position) + " cannot be read");
            return std::nullopt;
        }
        items.push_back(*item);
    }
    return items;
}

} // namespace driver
