#pragma once
#include <cstdint>
#include <string_view>

namespace hv {

// Horvane's hidden window ("panel") as a companion reaches it. It is looked up by its title
// at every use: Horvane may start or end at any time.
class PanelLink {
public:
    virtual ~PanelLink() = default;

    // Whether Horvane runs.
    virtual bool Present() = 0;
    // Hands Horvane a copy-data code (and text), letting it bring a window it opens to the
    // front. Horvane answers before it opens any window; the wait is bounded for a Horvane
    // that is hung. Its replies arrive as messages of their own, possibly before this
    // returns. False when Horvane is not running.
    virtual bool Send(std::uintptr_t code, std::string_view text = {}) = 0;
};

} // namespace hv
