#pragma once
#include "common/PanelLink.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace hv::testing {

// Horvane as a companion's tests play it: present or not, recording every code sent, and
// answering while a code is being sent, as the real program's replies arrive.
class FakePanelLink final : public PanelLink {
public:
    bool present = true;
    std::vector<std::pair<std::uintptr_t, std::string>> sent;
    std::function<void(std::uintptr_t code)> answer;

    bool Present() override { return present; }
    bool Send(std::uintptr_t code, std::string_view text) override {
        if (!present) return false;
        sent.emplace_back(code, std::string(text));
        if (answer) answer(code);
        return true;
    }

    std::vector<std::uintptr_t> Codes() const {
        std::vector<std::uintptr_t> codes;
        for (const auto& [code, text] : sent) codes.push_back(code);
        return codes;
    }
};

} // namespace hv::testing
