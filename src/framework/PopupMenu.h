#pragma once
#include <string>
#include <vector>

namespace hv {

struct MenuItem {
    int commandId = 0; // 0 marks a separator
    std::string text;
    bool checked = false;
    bool operator==(const MenuItem&) const = default;
};

inline MenuItem Separator() { return MenuItem{}; }

} // namespace hv
