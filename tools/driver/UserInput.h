#pragma once
#include "Commands.h"

#include <windows.h>

#include <optional>
#include <string_view>

namespace driver {

// The virtual key of a key name: up, down, left, right, enter, escape, tab, space, f4, or a
// letter or digit.
std::optional<WORD> VirtualKey(std::string_view name);
// One key going down or up, as SendInput takes it.
INPUT KeyEvent(WORD virtualKey, bool release);

// Input as a user gives it, through the system's input queue rather than messages to a
// window, so that it reaches whichever window has the focus or the capture.
//
// "menu-wait SECONDS": waits for an open popup menu; prints its window, owner and rectangle.
// "menu-keys SECONDS KEY...": waits for an open popup menu, types the keys and waits until
// the menu has closed. A key is a letter or digit, or up, down, left, right, enter, escape.
// "click X Y BUTTON": moves the mouse to the screen point and presses and releases the
// button (left or right) there. "cursor X Y" only moves it. "drag X1 Y1 X2 Y2" presses the
// left button at the first point, moves to the second in steps and lets go there.
int RunMenuWait(const Arguments& args);
int RunMenuKeys(const Arguments& args);
int RunClick(const Arguments& args);
int RunDrag(const Arguments& args);
int RunCursor(const Arguments& args);

} // namespace driver
