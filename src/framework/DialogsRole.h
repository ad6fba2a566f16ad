#pragma once
#include <string_view>

namespace hv {

class Dialog;

// Boxes shown over the main window.
class DialogsRole {
public:
    virtual ~DialogsRole() = default;

    // Shows the dialog modally over the main window and returns the result it closed with.
    // The main window's timers and messages keep arriving meanwhile.
    virtual int RunModalDialog(Dialog& dialog) = 0;
    virtual void ShowMessageBox(std::string_view text) = 0;
};

} // namespace hv
