#pragma once
#include "Commands.h"

namespace driver {

// pipe-send PIPE HEX SECONDS: writes the bytes as one message to a named pipe, as any
// local program could, and prints the reply's bytes ("reply=HEX") or "reply=none" when none
// came within the time.
int RunPipeSend(const Arguments& args);

} // namespace driver
