#pragma once
#include "framework/DialogView.h"

#include <optional>

namespace hv {

// Dialog data exchange for whole numbers, both ways, with the usual validation: blanks
// around the number and a sign are accepted; anything else is answered with
// "Please enter an integer.", a number outside the range with
// "Please enter an integer between MIN and MAX.". After either message the offending edit
// has the focus (its text selected) and nothing comes back, so that the caller stops.
std::optional<int> ReadInteger(DialogView& view, int editId, int minimum, int maximum);
void ShowInteger(DialogView& view, int editId, int value);

} // namespace hv
