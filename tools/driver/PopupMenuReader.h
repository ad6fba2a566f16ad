#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace driver {

struct MenuItem {
    std::int64_t id;
    std::uint32_t flags;  // item type and state bits together (MFT_* | MFS_*)
    std::string text;
};

// The items of the popup menu that is open on screen, or nothing when no menu is open
// or its handle cannot be read from this process.
std::optional<std::vector<MenuItem>> ReadOpenPopupMenu();

} // namespace driver
