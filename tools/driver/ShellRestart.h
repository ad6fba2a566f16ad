#pragma once
#include "Commands.h"

namespace driver {

// What a restarting shell does to the programs' tray icons, played from outside:
// "tray-delete TITLE" removes the icon 128 of the window with that title, as the old shell
// forgets it; "broadcast NAME" sends the registered message NAME to every top-level window,
// as the new shell announces itself with "TaskbarCreated", and returns once all have
// handled it.
int RunTrayDelete(const Arguments& args);
int RunBroadcast(const Arguments& args);

} // namespace driver
