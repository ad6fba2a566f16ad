#pragma once
#include "common/PanelLink.h"

namespace hv {

class Win32PanelLink final : public PanelLink {
public:
    bool Present() override;
    bool Send(std::uintptr_t code, std::string_view text) override;
};

} // namespace hv
