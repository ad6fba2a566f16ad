#pragma once
#include "Commands.h"

namespace driver {

// "windows": every window of the desktop, children indented under their parents, one line
// each with handle, class, title, visibility, owning process and screen rectangle. For
// finding out how another process (Wine's shell, a menu) builds its windows.
int RunWindows(const Arguments& args);

} // namespace driver
