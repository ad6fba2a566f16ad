#pragma once
#include "common/PanelLink.h"

#include <functional>
#include <vector>

namespace hv::testing {

// Horvane as a companion's tests play it: present or not, recording every code sent (the
// companions send no text with theirs), and answering while a code is being sent, as the real
// program's replies arrive.
class FakePanelLink final : public PanelLink {
public:
    bool present = true;
    std::vector<std::uintptr_t> codes;
    std::function<void(std::uintptr_t code)> answer;

    bool Present() override { return present; }
    bool Send(std::uintptr_t code, std::string_view /*text*/) override {
        if (!present) return false;
        codes.push_back(code);
        if (answer) answer(code);
        return true;
    }
};

} // namespace hv::testing
