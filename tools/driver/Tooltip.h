#pragma once
#include "Commands.h"

namespace driver {

// "tooltip SECONDS": waits until a tooltip is shown and prints its text and rectangle.
int RunTooltip(const Arguments& args);

} // namespace driver
