#pragma once
#include <string>
#include <vector>

namespace hv {

// A dialog control as the resource script declares it: what the fake view needs to behave
// like the real window (which controls exist, their kind, first text and state).
struct ControlTemplate {
    enum class Kind { Static, Button, CheckBox, RadioButton, Edit, GroupBox, Icon, ListView, Trackbar, Other };
    int id = 0;
    Kind kind = Kind::Other;
    std::string text;
    bool automatic = false; // an auto check box or auto radio button changes its own state
    bool startsGroup = false;
    bool disabled = false;
    bool readOnly = false;
    bool numbersOnly = false;
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    std::vector<ControlTemplate> controls;
};

// The template of that id from the program's resource scripts (resource.h and the dialog
// scripts beside it, read once); nothing when there is none.
const DialogTemplate* FindDialogTemplate(int id);

} // namespace hv
